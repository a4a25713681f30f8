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
#include "tests/scratch_win32/scratch_win32.h"

namespace morvel::removal_test {
namespace {

using platform::win32::Narrow;
using platform::win32::OwnFile;
using platform::win32::UniqueHandle;
using platform::win32::Wide;
using testing::win32::IsLink;
using testing::win32::MakeJunction;
using testing::win32::RemoveTree;
using testing::win32::TempFolder;

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
