#pragma once
// Open files, shell deletion, folder removal and deletion at the next start, for
// Win32FileSystem. Paths are UTF-8 Windows paths already checked for wildcards.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {

// A found entry as the port describes it.
FileEntry EntryOfFindData(const WIN32_FIND_DATAW& data);
// "." or "..".
bool IsDotEntry(const wchar_t* name);
// The entries of the existing folder `folder` ("." and ".." left out), sorted as NTFS lists
// them whatever the file system.
Status ListFolder(std::wstring folder, std::vector<FileEntry>& entries);
// Sorts listed entries as NTFS lists them (by their upper-cased names).
void SortAsNtfsLists(std::vector<FileEntry>& entries);
// The open file `file` (read and write access) behind the port's file interfaces.
std::unique_ptr<DatabaseFile> FileOfHandle(UniqueHandle file);
// The open file `file` (read access) as a reader, with its length now.
Result<std::unique_ptr<FileReader>> ReaderOfHandle(UniqueHandle file);

Result<std::unique_ptr<FileReader>> OpenFileForReading(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileSharedForWriting(std::string_view path);
std::string ShortPathOf(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileExclusive(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(std::string_view path);
// Opens an existing plain file for reading and writing with `sharing`, never through a
// link (ERROR_REPARSE_POINT_ENCOUNTERED).
Result<std::unique_ptr<FileWriter>> OpenToWrite(std::string_view path, DWORD sharing);
// `files_only` refuses a folder (AccessDenied); a link still goes as the link.
Status ShellDeletePath(std::string_view path, bool files_only = false);
Status RemoveFolderPath(std::string_view path);
Status DeletePathOnReboot(std::string_view path);

}  // namespace morvel::platform::win32
