// The tests' machine natively: a fresh machine image per test in a temporary folder, with
// a registry.reg that holds what a Windows 7 user's registry has for the definition
// files' macros.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "platform/emulated/emulated_registry.h"
#include "platform/emulated/machine.h"
#include "tests/definitions/definitions_machine.h"
#include "tests/unit/temp_image.h"

namespace morvel::definitions_test {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;
using testing::WriteText;

// "Common AppData" is left out on purpose: a macro whose value is missing resolves to
// empty text.
constexpr const char* kRegistry =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
    "Folders]\r\n"
    "\"AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Roaming\"\r\n"
    "\"Local AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Local\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
    "\r\n";

class EmulatedTestMachine final : public Machine {
 public:
  explicit EmulatedTestMachine(const std::string& test_name)
      : image_(temp_.path()),
        key_("Software\\MorvelTest\\" + test_name),
        folder_("C:\\Temp\\MorvelTest\\" + test_name) {
    const fs::path c = image_ / "drives" / "C";
    fs::create_directories(c / "Temp" / "MorvelTest" / test_name);
    fs::create_directories(c / "Windows" / "Temp");
    fs::create_directories(c / "Users" / "User" / "AppData" / "Roaming");
    fs::create_directories(c / "Users" / "User" / "AppData" / "Local");
    fs::create_directories(c / "Program Files" / "Morvel");
    WriteText(image_ / "registry.reg", kRegistry);
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  std::string scratch_key() const override { return key_; }
  std::string scratch_folder() const override { return folder_; }

  std::optional<std::string> SavedRegistry() override {
    machine_->Save();
    std::ifstream in(image_ / "registry.reg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  bool IsEmulated() const override { return true; }

  bool DenyLocalMachineChanges() override {
    auto* emulated = dynamic_cast<platform::emulated::EmulatedRegistry*>(&machine_->registry());
    if (emulated == nullptr) return false;
    emulated->SetLocalMachineWritable(false);
    return true;
  }

 private:
  void WriteMachineIni() const {
    WriteText(image_ / "machine.ini", "[System]\r\nPlatform=NT\r\nAdministrator=1\r\n");
  }

  testing::TempImage temp_{"definitions"};  // first made, last removed
  fs::path image_;
  std::string key_;
  std::string folder_;
  std::unique_ptr<EmulatedMachine> machine_;
};

}  // namespace

std::unique_ptr<Machine> MakeMachine(const std::string& test_name) {
  return std::make_unique<EmulatedTestMachine>(test_name);
}

}  // namespace morvel::definitions_test
