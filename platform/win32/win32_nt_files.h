#pragma once
// Entries of a held folder reached through its handle alone: opened relative to it with
// the native NtCreateFile (the folder as RootDirectory, so that no path is resolved again
// and no link on the way is followed), listed with GetFileInformationByHandleEx, and
// deleted by marking an open handle (FILE_DISPOSITION_INFO).

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {

// What NtCreateFile is asked for: the access, whom it shares the file with, whether it is
// opened or made (FILE_OPEN, FILE_OPEN_IF), and its create options (FILE_OPEN_REPARSE_POINT
// and the like; FILE_SYNCHRONOUS_IO_NONALERT is always added, so that offsets and listings
// work as on a handle of CreateFile).
struct RelativeOpening {
  ACCESS_MASK access;
  ULONG share;
  ULONG disposition;
  ULONG options;
};

// Whether `name` can only name an entry of a folder: not empty, "." nor "..", without a
// separator, a stream (":"), a wildcard or a zero.
bool IsEntryName(std::string_view name);

// Opens the entry `name` (IsEntryName; letter case ignored) of the folder open as `folder`.
// The Win32 error on failure: ERROR_ACCESS_DENIED for a folder where a file was asked for
// (FILE_NON_DIRECTORY_FILE), ERROR_DIRECTORY for a file where a folder was (FILE_DIRECTORY_FILE),
// ERROR_INVALID_NAME for a name of anything else, ERROR_PROC_NOT_FOUND without ntdll's call.
Result<UniqueHandle> OpenRelative(HANDLE folder, std::string_view name,
                                  const RelativeOpening& opening);

// The entries of the folder open as `folder` (listing access, synchronous), "." and ".."
// left out, as the port describes them, sorted as NTFS lists them whatever the file system.
Status ListHeldFolder(HANDLE folder, std::vector<FileEntry>& entries);

// Marks the open file or empty folder `handle` (opened with DELETE access) to go once it
// is closed. ERROR_ACCESS_DENIED for a read-only file, ERROR_DIR_NOT_EMPTY for a folder
// that holds anything.
Status MarkForDeletion(HANDLE handle);

// The attributes of the open `handle`, and how many names its file has.
Result<DWORD> AttributesOf(HANDLE handle);
Result<std::uint32_t> LinksOf(HANDLE handle);

}  // namespace morvel::platform::win32
