// The contract suite's backend on the emulated machine: a fresh machine image per test in
// a temporary folder, rearranged through machine.ini and reopened where the port cannot
// arrange something itself.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/emulated/machine.h"
#include "tests/contract/contract_backend.h"
#include "tests/unit/temp_image.h"

namespace morvel::contract {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;

constexpr platform::WindowsVersion kVersion{platform::WindowsFamily::Nt, 5, 1};

class EmulatedBackend final : public Backend {
 public:
  explicit EmulatedBackend(const std::string& test_name)
      : image_(temp_.path()),
        key_("Software\\Morvel Contract Tests\\" + test_name),
        folder_("C:\\Temp\\Morvel Contract Tests\\" + test_name) {
    fs::create_directories(image_ / "drives" / "C" / "Temp" / "Morvel Contract Tests" / test_name);
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
    // A real machine has its Windows and special folders.
    for (std::size_t i = 0; i < platform::emulated::kMachineFolderCount; ++i)
      machine_->files().CreateFolder(machine_->facts().folders[i]);
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }

  std::string scratch_key() const override { return key_; }
  std::string scratch_folder() const override { return folder_; }

  SkipReason MakeLink(std::string_view link, std::string_view target, bool folder) override {
    const fs::path link_path = HostPath(link);
    const fs::path target_path = HostPath(target);
    if (folder)
      fs::create_directory_symlink(target_path, link_path);
    else
      fs::create_symlink(target_path, link_path);
    return std::nullopt;
  }

  SkipReason MakeHardLink(std::string_view link, std::string_view target) override {
    fs::create_hard_link(HostPath(target), HostPath(link));
    return std::nullopt;
  }

  SkipReason LockFile(std::string_view path) override {
    locked_.emplace_back(path);
    Reopen();
    return std::nullopt;
  }

  // A host file without write permission is what the machine calls read-only; the host
  // has nothing that could stand for the other attributes.
  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    if (attributes & ~platform::attr::ReadOnly)
      return "the emulated machine's files have no hidden or system attribute";
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(
        HostPath(path), write,
        (attributes & platform::attr::ReadOnly) ? fs::perm_options::remove : fs::perm_options::add);
    return std::nullopt;
  }

  SkipReason OpenWindow(std::string_view class_name) override {
    windows_.emplace_back(class_name);
    Reopen();
    return std::nullopt;
  }

  SkipReason SetTempFolder(std::string_view path) override {
    temp_folder_ = path;
    Reopen();
    return std::nullopt;
  }

  // The clipboard is the image's stores/clipboard.txt while it holds text.
  SkipReason PutClipboardText(std::string_view text) override {
    fs::create_directories(image_ / "stores");
    std::ofstream out(image_ / "stores" / "clipboard.txt", std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write the clipboard file");
    return std::nullopt;
  }

  SkipReason HoldClipboardOpen() override {
    return "nothing can hold the emulated machine's clipboard open";
  }

  std::optional<bool> ClipboardHoldsData() override {
    return fs::exists(image_ / "stores" / "clipboard.txt");
  }

  // As Windows 7 keeps it: "$R..." with the entry's extension in the user's folder of
  // "\$Recycle.Bin", beside an "$I..." record of where it came from.
  SkipReason MoveToRecycleBin(std::string_view path) override {
    const std::string bin = std::string(1, path.at(0)) +
                            ":\\$Recycle.Bin\\S-1-5-21-1004336348-1177238915-682003330-1001";
    if (!machine_->files().CreateFolder(bin)) throw std::runtime_error("cannot make " + bin);
    const fs::path source = HostPath(path);
    const std::string id =
        "$R" + std::to_string(100000 + ++recycled_) + source.extension().string();
    fs::rename(source, HostPath(bin + "\\" + id));
    std::string record = id;
    record[1] = 'I';
    if (!machine_->files().WriteFile(bin + "\\" + record, std::string(path)))
      throw std::runtime_error("cannot write the recycle record");
    return std::nullopt;
  }

  SkipReason RecycleBinsNotPrivate() const override { return std::nullopt; }
  SkipReason RecycleBinFoldersUnsupported() const override { return std::nullopt; }

  std::optional<platform::WindowsVersion> ExpectedVersion() const override { return kVersion; }
  SkipReason ShellKeepsReadOnlyFiles() const override { return std::nullopt; }
  SkipReason ValueOrderUnsupported() const override { return std::nullopt; }
  bool IsThrowawayMachine() const override { return true; }

 private:
  fs::path HostPath(std::string_view windows_path) const {
    const auto host = machine_->HostPath(windows_path);
    if (!host) throw std::runtime_error("no host path for " + std::string(windows_path));
    return *host;
  }

  void WriteMachineIni() const {
    std::ofstream ini(image_ / "machine.ini", std::ios::binary | std::ios::trunc);
    ini << "[System]\r\nPlatform=NT\r\nVersion=" << kVersion.major << "." << kVersion.minor
        << "\r\n[Locked]\r\n";
    for (std::size_t i = 0; i < locked_.size(); ++i) ini << i + 1 << "=" << locked_[i] << "\r\n";
    if (!temp_folder_.empty()) ini << "[Folders]\r\nTemp=" << temp_folder_ << "\r\n";
    ini << "[Windows]\r\n";
    for (std::size_t i = 0; i < windows_.size(); ++i) ini << i + 1 << "=" << windows_[i] << "\r\n";
    if (!ini) throw std::runtime_error("cannot write machine.ini");
  }

  // machine.ini is read when the machine opens: keep the registry's changes and start again.
  void Reopen() {
    machine_->Save();
    machine_.reset();
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
  }

  testing::TempImage temp_{"contract"};  // first made, last removed
  fs::path image_;
  std::string key_;
  std::string folder_;
  std::vector<std::string> locked_;
  std::vector<std::string> windows_;
  int recycled_ = 0;
  std::string temp_folder_;
  std::unique_ptr<EmulatedMachine> machine_;
};

}  // namespace

std::unique_ptr<Backend> MakeBackend(const std::string& test_name) {
  return std::make_unique<EmulatedBackend>(test_name);
}

}  // namespace morvel::contract
