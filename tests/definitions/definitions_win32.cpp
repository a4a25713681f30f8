// The tests' machine under Wine: the real registry and file system of the Wine prefix.
// The scratch key (under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE) and the scratch folder
// are removed afterwards with the system's own functions, not with the code under test.

#include <windows.h>

#include <shlwapi.h>

#include <stdexcept>
#include <string>

#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_util.h"
#include "tests/definitions/definitions_machine.h"
#include "tests/scratch_win32/scratch_win32.h"

namespace morvel::definitions_test {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;
using testing::win32::RemoveTree;
using testing::win32::TempFolder;

constexpr wchar_t kScratchParent[] = L"Software\\MorvelTest";

class Win32TestMachine final : public Machine {
 public:
  explicit Win32TestMachine(const std::string& test_name)
      : machine_(platform::win32::Win32Machine::Open()),
        key_(Narrow(kScratchParent) + "\\" + test_name),
        folder_(TempFolder() + L"MorvelTest\\" + Wide(test_name)) {
    Cleanup();  // left over from a run that crashed
    CreateDirectoryW((TempFolder() + L"MorvelTest").c_str(), nullptr);
    if (!CreateDirectoryW(folder_.c_str(), nullptr))
      throw std::runtime_error("CreateDirectory failed: " + std::to_string(GetLastError()));
  }

  ~Win32TestMachine() override {
    Cleanup();
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteKeyW(root, kScratchParent);
    RemoveDirectoryW((TempFolder() + L"MorvelTest").c_str());
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  std::string scratch_key() const override { return key_; }
  std::string scratch_folder() const override { return Narrow(folder_); }
  std::optional<std::string> SavedRegistry() override { return std::nullopt; }
  bool IsEmulated() const override { return false; }
  bool DenyLocalMachineChanges() override { return false; }

 private:
  void Cleanup() const {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      SHDeleteKeyW(root, Wide(key_).c_str());
    RemoveTree(folder_);
  }

  std::unique_ptr<platform::win32::Win32Machine> machine_;
  std::string key_;
  std::wstring folder_;
};

}  // namespace

std::unique_ptr<Machine> MakeMachine(const std::string& test_name) {
  return std::make_unique<Win32TestMachine>(test_name);
}

}  // namespace morvel::definitions_test
