#include "platform/win32/win32_file_ops.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/win32/win32_nt_files.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

// The largest piece one ReadFile or WriteFile call is given.
constexpr std::size_t kMaxPiece = 1u << 30;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// An OVERLAPPED on a synchronous handle gives the offset of each read, so no shared file
// pointer is moved.
Result<std::size_t> ReadAtOffset(HANDLE file, std::uint64_t offset, std::span<std::byte> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    OVERLAPPED at = At(offset + done);
    const auto piece = static_cast<DWORD>(std::min(buffer.size() - done, kMaxPiece));
    DWORD read = 0;
    if (!::ReadFile(file, buffer.data() + done, piece, &read, &at)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      return FailedWith<std::size_t>(error);
    }
    if (read == 0) break;
    done += read;
  }
  return Result<std::size_t>::Of(done);
}

class Win32FileReader final : public FileReader {
 public:
  Win32FileReader(UniqueHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  [[nodiscard]] std::uint64_t Size() const override { return size_; }

  [[nodiscard]] Result<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::byte> buffer) const override {
    return ReadAtOffset(file_.get(), offset, buffer);
  }

 private:
  UniqueHandle file_;
  std::uint64_t size_;
};

// An open file written at offsets and locked by ranges (LockFileEx: a lock belongs to the
// handle, and an exclusive one keeps every other handle out of its bytes).
class Win32File final : public DatabaseFile {
 public:
  explicit Win32File(UniqueHandle file) : file_(std::move(file)) {}

  [[nodiscard]] Result<std::uint64_t> Size() const override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) return FailedWith<std::uint64_t>(GetLastError());
    return Result<std::uint64_t>::Of(static_cast<std::uint64_t>(size.QuadPart));
  }

  [[nodiscard]] Result<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::byte> buffer) const override {
    return ReadAtOffset(file_.get(), offset, buffer);
  }

  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      OVERLAPPED at = At(offset + done);
      const auto piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
      DWORD written = 0;
      if (!::WriteFile(file_.get(), bytes.data() + done, piece, &written, &at))
        return StatusOf(GetLastError());
      if (written == 0) return StatusOf(ERROR_WRITE_FAULT);
      done += written;
    }
    return Status::Ok();
  }

  Status Truncate(std::uint64_t size) override {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof end))
      return Status::Ok();
    return StatusOf(GetLastError());
  }

  Status Flush() override {
    return FlushFileBuffers(file_.get()) ? Status::Ok() : StatusOf(GetLastError());
  }

  [[nodiscard]] Result<std::uint32_t> LinkCount() const override { return LinksOf(file_.get()); }

  Status LockRange(std::uint64_t offset, std::uint64_t length, RangeLock kind) override {
    OVERLAPPED at = At(offset);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY |
                        (kind == RangeLock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : DWORD{0});
    if (LockFileEx(file_.get(), flags, 0, static_cast<DWORD>(length),
                   static_cast<DWORD>(length >> 32), &at))
      return Status::Ok();
    return StatusOf(GetLastError());  // ERROR_LOCK_VIOLATION: InUse
  }

  Status UnlockRange(std::uint64_t offset, std::uint64_t length) override {
    OVERLAPPED at = At(offset);
    if (UnlockFileEx(file_.get(), 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32),
                     &at))
      return Status::Ok();
    return StatusOf(GetLastError());
  }

 private:
  UniqueHandle file_;
};

// The path without trailing separators, except the one of a drive root ("C:\").
std::wstring Trimmed(std::string_view path) {
  std::wstring wide = Wide(path);
  while (wide.size() > 1 && IsSeparator(wide.back()) && !(wide.size() == 3 && wide[1] == L':'))
    wide.pop_back();
  return wide;
}

// "C:\..." or "\\server\share\...": the shell and MoveFileEx would take anything else
// relative to the current folder.
bool IsAbsolute(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return true;
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// "C:\", also spelled "\\?\C:\" or "\\.\C:\".
bool IsDriveRoot(std::wstring_view path) {
  if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) path.remove_prefix(4);
  return path.size() <= 3 && path.size() >= 2 && path[1] == L':';
}

// A link is removed as the link: RemoveDirectory for one that stands for a folder,
// DeleteFile for one that stands for a file.
Status RemoveLink(const std::wstring& path, DWORD attributes) {
  const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                                               : DeleteFileW(path.c_str());
  return removed ? Status::Ok() : StatusOf(GetLastError());
}

// Removes every link below `folder` as a link, so that the shell, which may walk into a
// link and delete what it leads to, only meets plain files and folders.
Status RemoveLinksBelow(const std::wstring& folder) {
  std::vector<std::wstring> sub_folders;
  WIN32_FIND_DATAW data;
  UniqueFind find = OwnFind(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoStandard, &data,
                                             FindExSearchNameMatch, nullptr, 0));
  if (!find) return Status::Ok();  // nothing to list; the shell reports what it finds
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (Status removed = RemoveLink(path, data.dwFileAttributes); !removed) return removed;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      sub_folders.push_back(path);
    }
  } while (FindNextFileW(find.get(), &data));
  find.reset();
  for (const std::wstring& sub : sub_folders)
    if (Status removed = RemoveLinksBelow(sub); !removed) return removed;
  return Status::Ok();
}

// SHFileOperation's return value is one of the shell's own DE_ codes or a Win32 code.
// The Win32 codes are kept; for the others the file itself tells what went wrong.
Status ShellFailure(int code, const std::wstring& path, DWORD attributes) {
  const auto error = static_cast<DWORD>(code);
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
      error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND ||
      error == ERROR_PATH_NOT_FOUND)
    return StatusOf(error);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    UniqueHandle probe = OwnFile(CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe && GetLastError() == ERROR_SHARING_VIOLATION)
      return StatusOf(ERROR_SHARING_VIOLATION);
  }
  return Status::Error(ErrorKind::Other, error);
}

}  // namespace

FileEntry EntryOfFindData(const WIN32_FIND_DATAW& data) {
  FileEntry entry;
  entry.name = Narrow(data.cFileName);
  entry.attributes = data.dwFileAttributes;
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    entry.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  entry.last_write = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  return entry;
}

bool IsDotEntry(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == L'\0') ||
         (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

Status ListFolder(std::wstring folder, std::vector<FileEntry>& entries) {
  if (!folder.empty() && !IsSeparator(folder.back())) folder += L'\\';
  folder += L'*';
  WIN32_FIND_DATAW data;
  UniqueFind find = OwnFind(FindFirstFileExW(folder.c_str(), FindExInfoStandard, &data,
                                             FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    // An empty drive root has no "." entry to find.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) return StatusOf(error);
  } else {
    do {
      if (!IsDotEntry(data.cFileName)) entries.push_back(EntryOfFindData(data));
    } while (FindNextFileW(find.get(), &data));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) return StatusOf(error);
  }
  SortAsNtfsLists(entries);
  return Status::Ok();
}

void SortAsNtfsLists(std::vector<FileEntry>& entries) {
  // NTFS lists entries this way; other file systems (FAT, Wine's host folders) do not.
  std::stable_sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) {
    return CompareUpper(a.name, b.name) < 0;
  });
}

std::unique_ptr<DatabaseFile> FileOfHandle(UniqueHandle file) {
  return std::make_unique<Win32File>(std::move(file));
}

Result<std::unique_ptr<FileReader>> ReaderOfHandle(UniqueHandle file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size))
    return FailedWith<std::unique_ptr<FileReader>>(GetLastError());
  return Result<std::unique_ptr<FileReader>>::Of(std::make_unique<Win32FileReader>(
      std::move(file), static_cast<std::uint64_t>(size.QuadPart)));
}

Result<std::unique_ptr<FileReader>> OpenFileForReading(std::string_view path) {
  UniqueHandle file =
      OwnFile(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FailedWith<std::unique_ptr<FileReader>>(GetLastError());
  return ReaderOfHandle(std::move(file));
}

Result<std::unique_ptr<FileWriter>> OpenFileExclusive(std::string_view path) {
  UniqueHandle file = OwnFile(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FailedWith<std::unique_ptr<FileWriter>>(GetLastError());
  return Result<std::unique_ptr<FileWriter>>::Of(std::make_unique<Win32File>(std::move(file)));
}

Result<std::unique_ptr<FileWriter>> OpenFileSharedForWriting(std::string_view path) {
  return OpenToWrite(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

// The ANSI call into 259 characters and its zero, as the name is handed on to Wininit.ini.
std::string ShortPathOf(std::string_view path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(Wide(path).c_str(), buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Narrow(std::wstring_view(buffer, length));
}

Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(std::string_view path) {
  return OpenToWrite(path, 0);
}

Result<std::unique_ptr<FileWriter>> OpenToWrite(std::string_view path, DWORD sharing) {
  using Writer = std::unique_ptr<FileWriter>;
  // FILE_FLAG_OPEN_REPARSE_POINT opens a link as the link instead of what it leads to.
  UniqueHandle file = OwnFile(
      CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return FailedWith<Writer>(GetLastError());
  const auto attributes = AttributesOf(file.get());
  if (!attributes) return Result<Writer>{nullptr, attributes.status};
  if (attributes.value & FILE_ATTRIBUTE_REPARSE_POINT) return FailedWith<Writer>(kErrorLinkMet);
  if (attributes.value & FILE_ATTRIBUTE_DIRECTORY) return FailedWith<Writer>(ERROR_ACCESS_DENIED);
  return Result<Writer>::Of(FileOfHandle(std::move(file)));
}

Status ShellDeletePath(std::string_view path, bool files_only) {
  // The shell parses its names itself and expects "\" between them.
  std::wstring wide = Trimmed(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  if (!IsAbsolute(wide)) return StatusOf(ERROR_INVALID_NAME);
  // A whole drive is never handed to the shell as one deletion.
  if (IsDriveRoot(wide)) return StatusOf(ERROR_ACCESS_DENIED);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return StatusOf(GetLastError());
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveLink(wide, attributes);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && files_only) return StatusOf(ERROR_ACCESS_DENIED);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (Status removed = RemoveLinksBelow(wide); !removed) return removed;
  }

  // The shell does not take the "\\?\" form, which names a file that plain paths cannot
  // reach exactly ("notes.", "con.txt"); such a file goes as the shell would delete it.
  if (wide.starts_with(L"\\\\?\\") && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (DeleteFileW(wide.c_str())) return Status::Ok();
    const DWORD error = GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(wide.c_str(), attributes);
    return StatusOf(error);
  }

  // The source is a list of names, each ending in a zero, and the list ends in one more.
  std::wstring source = wide;
  source.push_back(L'\0');
  source.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = source.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  const int result = SHFileOperationW(&operation);
  if (result == 0) return Status::Ok();
  return ShellFailure(result, wide, attributes);
}

Status RemoveFolderPath(std::string_view path) {
  const std::wstring wide = Trimmed(path);
  if (!IsAbsolute(wide)) return StatusOf(ERROR_INVALID_NAME);
  if (RemoveDirectoryW(wide.c_str())) return Status::Ok();
  const DWORD error = GetLastError();
  // Windows says ERROR_DIRECTORY for a file; some versions of Wine say otherwise.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Status::Error(ErrorKind::AccessDenied, ERROR_DIRECTORY);
  return StatusOf(error);
}

Status DeletePathOnReboot(std::string_view path) {
  const std::wstring wide = Trimmed(path);
  if (!IsAbsolute(wide)) return StatusOf(ERROR_INVALID_NAME);
  if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return StatusOf(GetLastError());
  if (MoveFileExW(wide.c_str(), nullptr, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
    return Status::Ok();
  return StatusOf(GetLastError());
}

}  // namespace morvel::platform::win32
