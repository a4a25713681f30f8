#include "platform/win32/win32_nt_files.h"

#include <windows.h>
#include <winternl.h>

#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_file_ops.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

using CreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

constexpr NTSTATUS kFileIsADirectory = static_cast<NTSTATUS>(0xC00000BAL);
constexpr NTSTATUS kNotADirectory = static_cast<NTSTATUS>(0xC0000103L);

// ntdll is in every process from its start: found once, never freed.
const Library& NtLibrary() {
  static const Library ntdll = Library::Loaded(L"ntdll.dll");
  return ntdll;
}

DWORD ErrorOf(NTSTATUS status) {
  if (status == kFileIsADirectory) return ERROR_ACCESS_DENIED;
  if (status == kNotADirectory) return ERROR_DIRECTORY;
  static const auto to_error = NtLibrary().Find<StatusToErrorCall>("RtlNtStatusToDosError");
  return to_error != nullptr ? to_error(status) : ERROR_GEN_FAILURE;
}

FileEntry EntryOf(const FILE_ID_BOTH_DIR_INFO& info) {
  FileEntry entry;
  entry.name = Narrow(std::wstring_view(info.FileName, info.FileNameLength / sizeof(wchar_t)));
  entry.attributes = info.FileAttributes;
  if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    entry.size = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
  entry.last_write = static_cast<std::uint64_t>(info.LastWriteTime.QuadPart);
  return entry;
}

}  // namespace

bool IsEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("\\/:*?\0", 6)) == std::string_view::npos;
}

Result<UniqueHandle> OpenRelative(HANDLE folder, std::string_view name,
                                  const RelativeOpening& opening) {
  if (!IsEntryName(name)) return FailedWith<UniqueHandle>(ERROR_INVALID_NAME);
  static const auto create = NtLibrary().Find<CreateFileCall>("NtCreateFile");
  if (create == nullptr) return FailedWith<UniqueHandle>(ERROR_PROC_NOT_FOUND);
  std::wstring wide = Wide(name);
  UNICODE_STRING object_name;
  object_name.Buffer = wide.data();
  object_name.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  object_name.MaximumLength = object_name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const RealSystemFolder real_system_folder;
  const NTSTATUS status = create(&handle, opening.access | SYNCHRONIZE, &attributes, &io, nullptr,
                                 FILE_ATTRIBUTE_NORMAL, opening.share, opening.disposition,
                                 opening.options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) return FailedWith<UniqueHandle>(ErrorOf(status));
  return Result<UniqueHandle>::Of(UniqueHandle(handle));
}

Status ListHeldFolder(HANDLE folder, std::vector<FileEntry>& entries) {
  // Room for a few hundred entries a call; aligned as the records inside are.
  std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;  // from the start each time
  for (;;) {
    if (!GetFileInformationByHandleEx(folder, kind, buffer.data(), size)) {
      const DWORD error = GetLastError();
      if (error == ERROR_NO_MORE_FILES) break;
      // An empty drive root has no "." entry to find.
      if (error == ERROR_FILE_NOT_FOUND && kind == FileIdBothDirectoryRestartInfo) break;
      return StatusOf(error);
    }
    kind = FileIdBothDirectoryInfo;
    const auto* at = reinterpret_cast<const BYTE*>(buffer.data());
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") entries.push_back(EntryOf(*info));
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
  SortAsNtfsLists(entries);
  return Status::Ok();
}

Status MarkForDeletion(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition))
    return Status::Ok();
  return StatusOf(GetLastError());
}

// FileBasicInfo and FileStandardInfo rather than GetFileInformationByHandle, which also asks
// the volume for its serial number: under Wine a round trip through the mount manager for
// every file.
Result<DWORD> AttributesOf(HANDLE handle) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
    return FailedWith<DWORD>(GetLastError());
  return Result<DWORD>::Of(basic.FileAttributes);
}

Result<std::uint32_t> LinksOf(HANDLE handle) {
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
    return FailedWith<std::uint32_t>(GetLastError());
  return Result<std::uint32_t>::Of(standard.NumberOfLinks);
}

}  // namespace morvel::platform::win32
