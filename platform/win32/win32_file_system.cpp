#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <cwctype>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/win32/win32_file_ops.h"
#include "platform/win32/win32_folder.h"
#include "platform/win32/win32_recycle_bin.h"
#include "platform/win32/win32_util.h"
#include "platform/win32/win32_write_leftovers.h"

namespace morvel::platform::win32 {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "*" and "?" would make the find functions match other names, and every function would
// take a path holding a zero for the shorter path before it. The "\\?\" prefix of a long
// path is not a wildcard.
bool HasWildcard(std::string_view path) {
  if (HoldsNul(path)) return true;
  if (path.starts_with("\\\\?\\")) path.remove_prefix(4);
  return path.find_first_of("*?") != std::string_view::npos;
}

// The path without trailing separators, except the one of a drive root ("C:\").
std::wstring TrimSeparators(std::wstring path) {
  while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == L':'))
    path.pop_back();
  return path;
}

// The folder part of a path ("C:\a" for "C:\a\b"); "" when there is none.
std::wstring ParentOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  return path.substr(0, cut);
}

// Deletes the temporary file of a WriteFile unless it took the target's place.
class TempFile {
 public:
  explicit TempFile(std::wstring path) : path_(std::move(path)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::wstring path_;
};

DWORD WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

Status CreateFolderAndParents(const std::wstring& path) {
  const DWORD existing = GetFileAttributesW(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & FILE_ATTRIBUTE_DIRECTORY) return Status::Ok();
    return Status::Error(ErrorKind::AlreadyExists, ERROR_ALREADY_EXISTS);
  }
  if (CreateDirectoryW(path.c_str(), nullptr)) return Status::Ok();
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    const std::wstring parent = TrimSeparators(ParentOf(path));
    // No parent left to make, or the drive itself is missing.
    if (parent.empty() || parent == path ||
        (parent.size() >= 2 && parent.size() <= 3 && parent[1] == L':'))
      return StatusOf(error);
    if (Status made = CreateFolderAndParents(parent); !made) return made;
    if (CreateDirectoryW(path.c_str(), nullptr)) return Status::Ok();
    error = GetLastError();
  }
  if (error == ERROR_ALREADY_EXISTS) {
    // Made by someone else meanwhile: fine when it is a folder.
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY)) return Status::Ok();
  }
  return StatusOf(error);
}

// "\\localhost\C$\..." and the other spellings of an administrative share of this machine,
// as the drive path they stand for ("C:\..."); any other path as it is. Opened through the
// network redirector the share would keep its network name in the final path.
std::wstring LocalDrivePath(std::wstring path) {
  std::wstring rest;
  if (path.starts_with(L"\\\\?\\UNC\\") || path.starts_with(L"\\\\.\\UNC\\")) {
    rest = path.substr(8);
  } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != L'?' &&
             path[2] != L'.') {
    rest = path.substr(2);
  } else {
    return path;
  }
  const std::size_t cut = rest.find_first_of(L"\\/");
  if (cut == std::wstring::npos || cut + 3 > rest.size() || rest[cut + 2] != L'$') return path;
  if (cut + 3 < rest.size() && !IsSeparator(rest[cut + 3])) return path;
  const std::wstring server = rest.substr(0, cut);
  wchar_t own[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD own_size = MAX_COMPUTERNAME_LENGTH + 1;
  const bool is_own = GetComputerNameW(own, &own_size) &&
                      CompareStringOrdinal(server.c_str(), -1, own, -1, TRUE) == CSTR_EQUAL;
  if (!is_own && CompareStringOrdinal(server.c_str(), -1, L"localhost", -1, TRUE) != CSTR_EQUAL &&
      server != L"127.0.0.1")
    return path;
  const wchar_t letter = rest[cut + 1];
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return path;
  std::wstring drive{letter, L':'};
  const std::wstring below = rest.substr(cut + 3);
  return drive + (below.empty() ? std::wstring(L"\\") : below);
}

class Win32FileSystem final : public FileSystem {
 public:
  Status Enumerate(std::string_view folder,
                   const std::function<bool(const FileEntry&)>& visit) const override {
    if (HasWildcard(folder)) return Status::Error(ErrorKind::InvalidArgument, ERROR_INVALID_NAME);
    std::wstring pattern = Wide(folder);
    const DWORD attributes = GetFileAttributesW(pattern.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return StatusOf(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Status::Error(ErrorKind::AccessDenied, ERROR_DIRECTORY);
    std::vector<FileEntry> entries;
    if (Status listed = ListFolder(pattern, entries); !listed) return listed;
    for (const FileEntry& entry : entries)
      if (!visit(entry)) break;
    return Status::Ok();
  }

  Result<FileEntry> Stat(std::string_view path) const override {
    if (HasWildcard(path)) return FailedWith<FileEntry>(ERROR_INVALID_NAME);
    const std::wstring wide = TrimSeparators(Wide(path));
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &info))
      return FailedWith<FileEntry>(GetLastError());
    // The folder's own entry gives the name as it was created and describes a link as
    // itself; a drive root has no entry.
    WIN32_FIND_DATAW data;
    if (UniqueFind find = OwnFind(FindFirstFileExW(wide.c_str(), FindExInfoStandard, &data,
                                                   FindExSearchNameMatch, nullptr, 0))) {
      if (!IsDotEntry(data.cFileName)) return Result<FileEntry>::Of(EntryOfFindData(data));
    }
    FileEntry entry;
    const std::size_t cut = wide.find_last_of(L"\\/");
    entry.name = Narrow(cut == std::wstring::npos ? wide : wide.substr(cut + 1));
    entry.attributes = info.dwFileAttributes;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      entry.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    entry.last_write =
        Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    return Result<FileEntry>::Of(std::move(entry));
  }

  Result<std::string> ReadFile(std::string_view path) const override {
    if (HasWildcard(path)) return FailedWith<std::string>(ERROR_INVALID_NAME);
    // Shared for reading only: a file someone is writing counts as in use.
    UniqueHandle file =
        OwnFile(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return FailedWith<std::string>(GetLastError());
    std::string content;
    try {
      LARGE_INTEGER size;
      if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
          static_cast<std::uint64_t>(size.QuadPart) < content.max_size())
        content.reserve(static_cast<std::size_t>(size.QuadPart));
      std::vector<char> buffer(1 << 16);
      for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr))
          return FailedWith<std::string>(GetLastError());
        if (read == 0) break;
        content.append(buffer.data(), read);
      }
    } catch (const std::bad_alloc&) {
      return FailedWith<std::string>(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::length_error&) {
      return FailedWith<std::string>(ERROR_NOT_ENOUGH_MEMORY);
    }
    return Result<std::string>::Of(std::move(content));
  }

  Status WriteFile(std::string_view path, std::string_view bytes) override {
    if (HasWildcard(path)) return StatusOf(ERROR_INVALID_NAME);
    const std::wstring target = Wide(path);
    if (target.empty() || IsSeparator(target.back())) return StatusOf(ERROR_INVALID_NAME);
    std::wstring folder = ParentOf(target);
    if (folder.empty()) return StatusOf(ERROR_INVALID_NAME);
    // Windows refuses to replace a read-only file; Wine's rename would not, so it is asked
    // here, before anything is written.
    if (const DWORD existing = GetFileAttributesW(target.c_str());
        existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
      return StatusOf(ERROR_ACCESS_DENIED);

    // A short unique name in the target's folder, so the final move is a rename on the
    // same volume.
    UniqueHandle file;
    std::wstring temp_path;
    // Named after this process: a start after a write killed halfway removes it.
    const DWORD seed = GetTickCount();
    for (DWORD attempt = 0; attempt < 100 && !file; ++attempt) {
      temp_path = folder + L"\\" + WriteTemporaryName(seed + attempt * 7919);
      file = OwnFile(CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return StatusOf(error);
      }
    }
    if (!file) return StatusOf(ERROR_FILE_EXISTS);
    TempFile temp(temp_path);

    if (const DWORD error = WriteAll(file.get(), bytes); error != ERROR_SUCCESS)
      return StatusOf(error);
    if (!FlushFileBuffers(file.get())) return StatusOf(GetLastError());
    file.reset();
    if (!MoveFileExW(temp.path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return StatusOf(GetLastError());
    temp.Release();
    return Status::Ok();
  }

  Status CreateFolder(std::string_view path) override {
    if (HasWildcard(path)) return StatusOf(ERROR_INVALID_NAME);
    const std::wstring wide = TrimSeparators(Wide(path));
    if (wide.empty()) return StatusOf(ERROR_INVALID_NAME);
    return CreateFolderAndParents(wide);
  }

  Result<std::unique_ptr<FileReader>> OpenForReading(std::string_view path) const override {
    if (HasWildcard(path)) return FailedWith<std::unique_ptr<FileReader>>(ERROR_INVALID_NAME);
    return OpenFileForReading(path);
  }

  Result<std::unique_ptr<FileWriter>> OpenExclusive(std::string_view path) override {
    if (HasWildcard(path)) return FailedWith<std::unique_ptr<FileWriter>>(ERROR_INVALID_NAME);
    return OpenFileExclusive(path);
  }

  Result<std::unique_ptr<FileWriter>> OpenSharedForWriting(std::string_view path) override {
    if (HasWildcard(path)) return FailedWith<std::unique_ptr<FileWriter>>(ERROR_INVALID_NAME);
    return OpenFileSharedForWriting(path);
  }

  std::string ShortPathName(std::string_view path) const override {
    if (HasWildcard(path)) return {};
    return ShortPathOf(path);
  }

  Result<std::unique_ptr<FileWriter>> OpenToOverwrite(std::string_view path) override {
    if (HasWildcard(path)) return FailedWith<std::unique_ptr<FileWriter>>(ERROR_INVALID_NAME);
    return OpenFileToOverwrite(path);
  }

  // The handle's own final path: Windows has normalised the spelling and followed every
  // link and junction on the way, which no reading of the text can do.
  Result<std::string> FinalPath(std::string_view path) const override {
    if (HasWildcard(path)) return FailedWith<std::string>(ERROR_INVALID_NAME);
    const std::wstring wide = LocalDrivePath(Wide(path));
    // No access is asked for: the attributes of a folder of another user can still be read.
    UniqueHandle handle = OwnFile(CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return FailedWith<std::string>(GetLastError());
    return FinalPathOfHandle(handle.get());
  }

  Result<std::unique_ptr<FolderHandle>> OpenFolder(std::string_view final_path) override {
    if (HasWildcard(final_path))
      return FailedWith<std::unique_ptr<FolderHandle>>(ERROR_INVALID_NAME);
    return OpenFolderHandle(final_path);
  }

  // A wildcard would make the shell delete every file it matches.
  Status ShellDelete(std::string_view path) override {
    if (HasWildcard(path)) return StatusOf(ERROR_INVALID_NAME);
    return ShellDeletePath(path);
  }

  Status RemoveFolder(std::string_view path) override {
    if (HasWildcard(path)) return StatusOf(ERROR_INVALID_NAME);
    return RemoveFolderPath(path);
  }

  Status DeleteOnReboot(std::string_view path) override {
    if (HasWildcard(path)) return StatusOf(ERROR_INVALID_NAME);
    return DeletePathOnReboot(path);
  }

  Status EmptyRecycleBins() override { return EmptyAllRecycleBins(); }

  Result<RecycleBinContents> QueryRecycleBin(char letter) const override {
    return QueryDriveRecycleBin(letter);
  }
};

}  // namespace

Result<std::string> FinalPathOfHandle(HANDLE handle) {
  std::wstring final_path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(
        handle, final_path.data(), static_cast<DWORD>(final_path.size()), VOLUME_NAME_DOS);
    if (length == 0) return FailedWith<std::string>(GetLastError());
    if (length < final_path.size()) {
      final_path.resize(length);
      break;
    }
    final_path.resize(length + 1);
  }
  if (final_path.starts_with(L"\\\\?\\UNC\\")) {
    final_path = L"\\" + final_path.substr(7);
  } else if (final_path.starts_with(L"\\\\?\\")) {
    final_path.erase(0, 4);
  }
  final_path = TrimSeparators(LocalDrivePath(std::move(final_path)));
  if (final_path.size() == 2 && final_path[1] == L':') final_path += L'\\';
  if (final_path.size() >= 2 && final_path[1] == L':')
    final_path[0] = static_cast<wchar_t>(std::towupper(final_path[0]));
  return Result<std::string>::Of(Narrow(final_path));
}

std::unique_ptr<FileSystem> MakeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace morvel::platform::win32
