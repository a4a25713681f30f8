// The two-backend suites' machine natively: a fresh machine image per test in a temporary
// folder, rearranged through machine.ini and reopened where the port cannot arrange
// something itself.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/emulated/emulated_registry.h"
#include "platform/emulated/machine.h"
#include "tests/harness/test_machine.h"
#include "tests/unit/temp_image.h"

namespace morvel::testing {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;

class EmulatedTestMachine final : public TestMachine {
 public:
  EmulatedTestMachine(const MachineSetup& setup, const std::string& test_name)
      : setup_(setup), image_(temp_.path()) {
    if (!setup.scratch.empty()) {
      key_ = "Software\\" + setup.scratch + "\\" + test_name;
      folder_ = "C:\\Temp\\" + setup.scratch + "\\" + test_name;
      fs::create_directories(image_ / "drives" / "C" / "Temp" / setup.scratch / test_name);
    }
    for (const std::string& folder : setup.image_folders) fs::create_directories(image_ / folder);
    if (!setup.registry_reg.empty()) WriteText(image_ / "registry.reg", setup.registry_reg);
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
    // A real machine has its Windows and special folders.
    if (setup.machine_folders)
      for (std::size_t i = 0; i < platform::emulated::kMachineFolderCount; ++i)
        machine_->files().CreateFolder(machine_->facts().folders[i]);
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  platform::ProtectedStorage& protected_storage() override { return machine_->protected_storage(); }
  platform::Internet& internet() override { return machine_->internet(); }
  platform::LogonTasks& logon_tasks() override { return machine_->logon_tasks(); }

  std::string scratch_key() const override { return key_; }
  std::string scratch_folder() const override { return folder_; }
  bool IsEmulated() const override { return true; }
  bool IsThrowawayMachine() const override { return true; }

  std::optional<std::string> SavedRegistry() override {
    machine_->Save();
    std::ifstream in(image_ / "registry.reg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  SkipReason MakeLink(std::string_view link, std::string_view target, bool folder) override {
    if (folder)
      fs::create_directory_symlink(HostPath(target), HostPath(link));
    else
      fs::create_symlink(HostPath(target), HostPath(link));
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

  void UnlockFiles() override {
    locked_.clear();
    Reopen();
  }

  // A host file without write permission is what the machine calls read-only; the host
  // has nothing that could stand for the other attributes.
  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    const bool read_only = (attributes & platform::attr::ReadOnly) != 0;
    if (!read_only && attributes != 0)
      return "the emulated machine's files have no hidden or system attribute";
    if (::chmod(HostPath(path).c_str(), read_only ? 0444 : 0644) != 0)
      throw std::runtime_error("chmod failed");
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
    WriteText(image_ / "stores" / "clipboard.txt", text);
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

  SkipReason AddUrlCacheEntry(std::string_view url) override {
    return AppendToStore("url-cache.txt", url);
  }
  SkipReason AddUrlHistoryEntry(std::string_view url) override {
    return AppendToStore("url-history.txt", url);
  }

  SkipReason PutProtectedStorage(std::string_view pstore_ini) override {
    Reopen([&] {
      fs::create_directories(image_ / "stores");
      WriteText(image_ / "stores" / "pstore.ini", pstore_ini);
    });
    return std::nullopt;
  }

  bool DenyLocalMachineChanges() override {
    auto* emulated = dynamic_cast<platform::emulated::EmulatedRegistry*>(&machine_->registry());
    if (emulated == nullptr) return false;
    emulated->SetLocalMachineWritable(false);
    return true;
  }

  std::optional<platform::WindowsVersion> ExpectedVersion() const override {
    return setup_.version;
  }
  SkipReason ShellKeepsReadOnlyFiles() const override { return std::nullopt; }
  SkipReason ValueOrderUnsupported() const override { return std::nullopt; }
  SkipReason RecycleBinsNotPrivate() const override { return std::nullopt; }
  SkipReason RecycleBinFoldersUnsupported() const override { return std::nullopt; }

 private:
  fs::path HostPath(std::string_view windows_path) const {
    const auto host = machine_->HostPath(windows_path);
    if (!host) throw std::runtime_error("no host path for " + std::string(windows_path));
    return *host;
  }

  void WriteMachineIni() const {
    std::string ini = setup_.machine_ini;
    ini += "[Locked]\r\n";
    for (std::size_t i = 0; i < locked_.size(); ++i)
      ini += std::to_string(i + 1) + "=" + locked_[i] + "\r\n";
    if (!temp_folder_.empty()) ini += "[Folders]\r\nTemp=" + temp_folder_ + "\r\n";
    ini += "[Windows]\r\n";
    for (std::size_t i = 0; i < windows_.size(); ++i)
      ini += std::to_string(i + 1) + "=" + windows_[i] + "\r\n";
    WriteText(image_ / "machine.ini", ini);
  }

  // machine.ini and the stores are read when the machine opens: keep the machine's
  // changes, rearrange, and start again.
  void Reopen(const std::function<void()>& rearrange = {}) {
    machine_->Save();
    machine_.reset();
    if (rearrange) rearrange();
    WriteMachineIni();
    machine_ = EmulatedMachine::Open(image_);
  }

  SkipReason AppendToStore(const char* name, std::string_view url) {
    Reopen([&] {
      fs::create_directories(image_ / "stores");
      std::ofstream out(image_ / "stores" / name, std::ios::binary | std::ios::app);
      out << url << "\r\n";
      if (!out) throw std::runtime_error(std::string("cannot write stores/") + name);
    });
    return std::nullopt;
  }

  const MachineSetup setup_;
  TempImage temp_{"machine"};  // first made, last removed
  fs::path image_;
  std::string key_;
  std::string folder_;
  std::vector<std::string> locked_;
  std::vector<std::string> windows_;
  std::string temp_folder_;
  int recycled_ = 0;
  std::unique_ptr<EmulatedMachine> machine_;
};

}  // namespace

std::unique_ptr<TestMachine> MakeTestMachine(const MachineSetup& setup,
                                             const std::string& test_name) {
  return std::make_unique<EmulatedTestMachine>(setup, test_name);
}

}  // namespace morvel::testing
