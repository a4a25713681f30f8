// The tests' machine natively: a fresh Windows 7 machine image per test in a temporary
// folder, with fixed drives C: and D:, a removable E:, and the registry values a real
// machine has for the folders the cleaners look up.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "platform/emulated/machine.h"
#include "tests/cleaners/cleaners_machine.h"
#include "tests/unit/temp_image.h"

namespace morvel::cleaners_test {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;
using testing::WriteText;

constexpr const char* kRegistry =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
    "\r\n";

constexpr const char* kMachineIni =
    "[System]\r\nPlatform=NT\r\nVersion=6.1\r\nAdministrator=1\r\n"
    "[Drives]\r\nC=fixed\r\nD=fixed\r\nE=removable\r\n";

class EmulatedTestMachine final : public Machine {
 public:
  EmulatedTestMachine() : image_(temp_.path()) {
    const fs::path user = image_ / "drives" / "C" / "Users" / "User";
    for (const fs::path& folder :
         {user / "AppData" / "Local" / "Temp",
          user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Recent", user / "Documents",
          image_ / "drives" / "C" / "Windows" / "system32",
          image_ / "drives" / "C" / "Program Files", image_ / "drives" / "D",
          image_ / "drives" / "E", image_ / "stores"})
      fs::create_directories(folder);
    WriteText(image_ / "registry.reg", kRegistry);
    WriteText(image_ / "machine.ini", kMachineIni);
    machine_ = EmulatedMachine::Open(image_);
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  bool IsEmulated() const override { return true; }

  std::optional<std::string> SavedRegistry() override {
    machine_->Save();
    std::ifstream in(image_ / "registry.reg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::optional<std::string> PutClipboardText(std::string_view text) override {
    WriteText(image_ / "stores" / "clipboard.txt", text);
    return std::nullopt;
  }

  std::optional<bool> ClipboardHoldsData() override {
    return fs::exists(image_ / "stores" / "clipboard.txt");
  }

 private:
  testing::TempImage temp_{"cleaners"};  // first made, last removed
  fs::path image_;
  std::unique_ptr<EmulatedMachine> machine_;
};

}  // namespace

std::unique_ptr<Machine> MakeMachine(const std::string&) {
  return std::make_unique<EmulatedTestMachine>();
}

}  // namespace morvel::cleaners_test
