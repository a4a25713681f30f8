// The removal tests' machine under Wine (or Windows): the real backend on a scratch folder
// below the temp folder, arranged and removed with the system's own functions rather than
// the code under test.

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_util.h"
#include "tests/removal/removal_backend.h"

namespace morvel::removal_test {
namespace {

using platform::win32::Narrow;
using platform::win32::OwnFile;
using platform::win32::UniqueHandle;
using platform::win32::Wide;

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temp folder");
  return std::wstring(buffer, length);  // ends with "\"
}

// Removes a folder with everything in it; links go as links, never followed.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  if (auto find = platform::win32::OwnFind(FindFirstFileW((folder + L"\\*").c_str(), &data))) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (is_folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (is_folder)
        RemoveDirectoryW(path.c_str());
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &data));
  }
  RemoveDirectoryW(folder.c_str());
}

// A junction: the reparse data of a mount point, set on an empty folder.
DWORD MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return GetLastError();
  UniqueHandle dir =
      OwnFile(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!dir) {
    const DWORD error = GetLastError();
    RemoveDirectoryW(link.c_str());
    return error;
  }
  const std::wstring substitute = L"\\??\\" + target;
  const std::size_t names = (substitute.size() + 1 + target.size() + 1) * sizeof(wchar_t);
  std::vector<BYTE> buffer(8 + 8 + names);
  auto put16 = [&](std::size_t at, std::size_t v) {
    buffer[at] = static_cast<BYTE>(v);
    buffer[at + 1] = static_cast<BYTE>(v >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  for (int i = 0; i < 4; ++i) buffer[i] = static_cast<BYTE>(tag >> (8 * i));
  put16(4, 8 + names);                                   // ReparseDataLength
  put16(8, 0);                                           // SubstituteNameOffset
  put16(10, substitute.size() * sizeof(wchar_t));        // SubstituteNameLength
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));  // PrintNameOffset
  put16(14, target.size() * sizeof(wchar_t));            // PrintNameLength
  std::memcpy(&buffer[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  std::memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], target.c_str(),
              (target.size() + 1) * sizeof(wchar_t));
  DWORD returned = 0;
  if (!DeviceIoControl(dir.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                       static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
    const DWORD error = GetLastError();
    dir.reset();
    RemoveDirectoryW(link.c_str());
    return error;
  }
  return ERROR_SUCCESS;
}

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class Win32Backend final : public Backend {
 public:
  explicit Win32Backend(const std::string& test_name)
      : machine_(platform::win32::Win32Machine::Open()),
        parent_(TempFolder() + L"Morvel Removal Tests"),
        folder_(parent_ + L"\\" + Wide(test_name)) {
    RemoveTree(folder_);  // left over from a run that crashed
    CreateDirectoryW(parent_.c_str(), nullptr);
    if (!CreateDirectoryW(folder_.c_str(), nullptr))
      throw std::runtime_error("CreateDirectory failed: " + std::to_string(GetLastError()));
  }
  ~Win32Backend() override {
    locks_.clear();
    RemoveTree(folder_);
    RemoveDirectoryW(parent_.c_str());
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  platform::ProtectedStorage& protected_storage() override { return machine_->protected_storage(); }
  std::string scratch() const override { return Narrow(folder_); }

  SkipReason LockFile(std::string_view path) override {
    UniqueHandle file =
        OwnFile(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("CreateFile failed: " + std::to_string(GetLastError()));
    locks_.push_back(std::move(file));
    return std::nullopt;
  }

  void UnlockFiles() override { locks_.clear(); }

  SkipReason MakeFolderLink(std::string_view link, std::string_view target) override {
    const std::wstring wide_link = Wide(link);
    const std::wstring wide_target = Wide(target);
    // Missing before Vista: looked up rather than imported.
    using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    const auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
    // 0x2: developer mode lets unprivileged users make links on Windows 10.
    if (create &&
        (create(wide_link.c_str(), wide_target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2) ||
         create(wide_link.c_str(), wide_target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))) {
      if (IsLink(wide_link)) return std::nullopt;
      RemoveDirectoryW(wide_link.c_str());  // some Wine versions make a plain folder
    }
    const DWORD error = MakeJunction(wide_link, wide_target);
    if (error == ERROR_SUCCESS && IsLink(wide_link)) return std::nullopt;
    if (error == ERROR_SUCCESS) RemoveDirectoryW(wide_link.c_str());
    return "this Windows makes neither a symbolic link nor a junction here (error " +
           std::to_string(error) + ")";
  }

  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    const std::wstring wide = Wide(path);
    const DWORD value = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    if (!SetFileAttributesW(wide.c_str(), value))
      throw std::runtime_error("SetFileAttributes failed: " + std::to_string(GetLastError()));
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      // Wine keeps the attribute in the host's permissions, which do not stop root.
      UniqueHandle writable = OwnFile(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (writable) {
        writable.reset();
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        return "read-only files can be opened for writing here (Wine run as root)";
      }
    }
    return std::nullopt;
  }

  bool IsEmulated() const override { return false; }

 private:
  std::unique_ptr<platform::win32::Win32Machine> machine_;
  std::wstring parent_;
  std::wstring folder_;
  std::vector<UniqueHandle> locks_;
};

}  // namespace

std::unique_ptr<Backend> MakeBackend(const std::string& test_name) {
  return std::make_unique<Win32Backend>(test_name);
}

}  // namespace morvel::removal_test
