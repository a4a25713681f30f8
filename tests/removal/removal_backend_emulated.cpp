// The removal tests' machine natively: a fresh emulated machine image per test.

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "platform/emulated/machine.h"
#include "tests/removal/removal_backend.h"
#include "tests/unit/temp_image.h"

namespace morvel::removal_test {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;

class EmulatedBackend final : public Backend {
 public:
  explicit EmulatedBackend(const std::string& test_name)
      : image_(temp_.path()), scratch_("C:\\Temp\\Removal\\" + test_name) {
    fs::create_directories(image_ / "drives" / "C" / "Temp" / "Removal" / test_name);
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
  }
  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  platform::ProtectedStorage& protected_storage() override { return machine_->protected_storage(); }
  std::string scratch() const override { return scratch_; }

  SkipReason LockFile(std::string_view path) override {
    locked_.emplace_back(path);
    Reopen();
    return std::nullopt;
  }

  void UnlockFiles() override {
    locked_.clear();
    Reopen();
  }

  SkipReason MakeFolderLink(std::string_view link, std::string_view target) override {
    fs::create_directory_symlink(HostPath(target), HostPath(link));
    return std::nullopt;
  }

  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    const bool read_only = (attributes & platform::attr::ReadOnly) != 0;
    if (::chmod(HostPath(path).c_str(), read_only ? 0444 : 0644) != 0)
      throw std::runtime_error("chmod failed");
    return std::nullopt;
  }

  bool IsEmulated() const override { return true; }

 private:
  fs::path HostPath(std::string_view windows_path) const {
    const auto host = machine_->HostPath(windows_path);
    if (!host) throw std::runtime_error("no host path for " + std::string(windows_path));
    return *host;
  }

  // machine.ini is read when the machine opens: keep the registry's changes and start again.
  void Reopen() {
    machine_->Save();
    machine_.reset();
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
  }

  void WriteMachineIni() const {
    std::ofstream ini(image_ / "machine.ini", std::ios::binary | std::ios::trunc);
    ini << "[System]\r\nPlatform=NT\r\n[Locked]\r\n";
    for (std::size_t i = 0; i < locked_.size(); ++i) ini << i + 1 << "=" << locked_[i] << "\r\n";
    if (!ini) throw std::runtime_error("cannot write machine.ini");
  }

  testing::TempImage temp_{"removal"};  // first made, last removed
  fs::path image_;
  std::string scratch_;
  std::vector<std::string> locked_;
  std::unique_ptr<EmulatedMachine> machine_;
};

}  // namespace

std::unique_ptr<Backend> MakeBackend(const std::string& test_name) {
  return std::make_unique<EmulatedBackend>(test_name);
}

}  // namespace morvel::removal_test
