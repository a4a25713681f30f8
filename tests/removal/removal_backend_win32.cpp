// The removal tests' machine under Wine (or Windows): the real backend on a scratch folder
// below the temp folder, arranged and removed with the system's own functions rather than
// the code under test.

#include <windows.h>

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
    // Missing before Vista: looked up rather than imported.
    using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    const auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
    if (!create) return "this Windows has no CreateSymbolicLinkW";
    const std::wstring wide_link = Wide(link);
    const std::wstring wide_target = Wide(target);
    if (!create(wide_link.c_str(), wide_target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2) &&
        !create(wide_link.c_str(), wide_target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
      return "CreateSymbolicLinkW failed with error " + std::to_string(GetLastError());
    const DWORD attributes = GetFileAttributesW(wide_link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return "CreateSymbolicLinkW reported success but made no link";
    return std::nullopt;
  }

  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    const DWORD value = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    if (!SetFileAttributesW(Wide(path).c_str(), value))
      throw std::runtime_error("SetFileAttributes failed: " + std::to_string(GetLastError()));
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
