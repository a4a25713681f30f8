#include "platform/emulated/machine.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/emulated/emulated_autorun.h"
#include "platform/emulated/emulated_events.h"
#include "platform/emulated/emulated_files.h"
#include "platform/emulated/emulated_internet.h"
#include "platform/emulated/emulated_pstore.h"
#include "platform/emulated/emulated_registry.h"
#include "platform/emulated/host_files.h"
#include "platform/emulated/locale_format.h"

namespace morvel::platform::emulated {

namespace {

constexpr std::size_t kTempPathBuffer = 254;

// "C:\" for a drive root becomes "C:", as a folder to which "\name" is appended.
std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.ends_with('\\')) folder.pop_back();
  return folder;
}

MachineFolder MachineFolderOf(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::Personal:
      return MachineFolder::Personal;
    case SpecialFolder::AppData:
      return MachineFolder::AppData;
    case SpecialFolder::InternetCache:
      return MachineFolder::InternetCache;
    case SpecialFolder::Recent:
      return MachineFolder::Recent;
    case SpecialFolder::Cookies:
      return MachineFolder::Cookies;
    case SpecialFolder::History:
      return MachineFolder::History;
    case SpecialFolder::Profile:
      return MachineFolder::Profile;
    case SpecialFolder::LocalAppData:
      return MachineFolder::LocalAppData;
    case SpecialFolder::LocalLowAppData:
      return MachineFolder::LocalLowAppData;
    case SpecialFolder::CommonAppData:
      return MachineFolder::ProgramData;
    case SpecialFolder::Public:
      return MachineFolder::Public;
    case SpecialFolder::Music:
      return MachineFolder::Music;
    case SpecialFolder::Pictures:
      return MachineFolder::Pictures;
    case SpecialFolder::Videos:
      return MachineFolder::Videos;
  }
  return MachineFolder::Personal;
}

class EmulatedSystemInfo : public SystemInfo {
 public:
  explicit EmulatedSystemInfo(const MachineFacts& facts) : facts_(facts) {}

  [[nodiscard]] std::string ExecutableFolder() const override {
    std::string folder = facts_.Folder(MachineFolder::Executable);
    if (!folder.ends_with('\\')) folder += '\\';  // a drive root has its "\" already
    return folder;
  }

  [[nodiscard]] WindowsVersion Version() const override { return facts_.version; }

  [[nodiscard]] std::string ComputerName() const override { return facts_.computer_name; }
  [[nodiscard]] std::optional<CalendarTime> FileTimeToLocalCalendar(
      std::uint64_t filetime) const override {
    return LocalCalendar(filetime, facts_.locale.bias_minutes);
  }

  [[nodiscard]] std::string FormatShortDate(const CalendarTime& time) const override {
    return FormatDatePicture(facts_.locale.short_date, time);
  }

  [[nodiscard]] std::string FormatLongTime(const CalendarTime& time) const override {
    return FormatTimePicture(facts_.locale.long_time, time);
  }

  [[nodiscard]] std::string WindowsFolder() const override {
    return WithoutTrailingSeparator(facts_.Folder(MachineFolder::Windows));
  }

  [[nodiscard]] std::string SpecialFolderPath(SpecialFolder folder) const override {
    return WithoutTrailingSeparator(facts_.Folder(MachineFolderOf(folder)));
  }

  [[nodiscard]] std::vector<std::string> UserDataFolders() const override {
    std::vector<std::string> folders;
    for (MachineFolder folder :
         {MachineFolder::Profile, MachineFolder::Desktop, MachineFolder::Personal,
          MachineFolder::Pictures, MachineFolder::Music, MachineFolder::Videos,
          MachineFolder::Downloads, MachineFolder::AppData, MachineFolder::LocalAppData}) {
      std::string path = WithoutTrailingSeparator(facts_.Folder(folder));
      if (!path.empty()) folders.push_back(std::move(path));
    }
    return folders;
  }

  [[nodiscard]] std::string SystemFolder() const override {
    return WithoutTrailingSeparator(facts_.Folder(MachineFolder::System));
  }

  [[nodiscard]] std::string TempFolder() const override {
    std::string folder = WithoutTrailingSeparator(facts_.Folder(MachineFolder::Temp)) + "\\";
    // GetTempPath into 254 characters: the path and its terminating zero must fit.
    if (folder.size() + 1 > kTempPathBuffer) return {};
    return folder;
  }

  [[nodiscard]] platform::DriveType DriveTypeOf(char letter) const override {
    switch (facts_.Drive(letter)) {
      case emulated::DriveType::Fixed:
        return platform::DriveType::Fixed;
      case emulated::DriveType::Removable:
        return platform::DriveType::Removable;
      case emulated::DriveType::CdRom:
        return platform::DriveType::CdRom;
      case emulated::DriveType::Remote:
        return platform::DriveType::Remote;
      case emulated::DriveType::RamDisk:
        return platform::DriveType::RamDisk;
      case emulated::DriveType::None:
        break;
    }
    return platform::DriveType::NoRootDir;
  }

  // The emulated machine has no WinINet and so no browser session to end.
  void EndBrowserSession() override {}

  [[nodiscard]] bool IsAdministrator() const override { return facts_.administrator; }

  [[nodiscard]] std::string UserName() const override { return facts_.user_name; }

 private:
  const MachineFacts& facts_;
};

// The clipboard is the file stores/clipboard.txt: its contents while the clipboard holds
// text, missing while it is empty. Emptying it takes effect at once, as it does for every
// program on a real desktop.
class EmulatedWindowSystem : public WindowSystem {
 public:
  EmulatedWindowSystem(const MachineFacts& facts, std::filesystem::path clipboard_file)
      : facts_(facts), clipboard_file_(std::move(clipboard_file)) {}

  [[nodiscard]] bool TopLevelWindowExists(std::string_view class_name) const override {
    return facts_.HasWindowClass(class_name);
  }

  Status EmptyClipboard() override {
    std::error_code error;
    std::filesystem::remove(clipboard_file_, error);
    return error ? Status::Error(ErrorKind::Other, static_cast<std::uint32_t>(error.value()))
                 : Status::Ok();
  }

 private:
  const MachineFacts& facts_;
  std::filesystem::path clipboard_file_;
};

MachineFacts LoadFacts(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return MachineFacts();
  if (!std::filesystem::is_regular_file(file, error))
    throw MachineImageError(file.string() + ": is not a file");
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in || in.bad()) throw MachineImageError(file.string() + ": cannot be read");
  return ParseMachineFacts(bytes.str(), file.string());
}

class ImageMachine : public EmulatedMachine {
 public:
  explicit ImageMachine(const std::filesystem::path& image)
      : image_(image),
        facts_(LoadFacts(image / "machine.ini")),
        registry_(EmulatedRegistry::Load(image / "registry.reg")),
        files_(image / "drives", facts_, *registry_),
        system_(facts_),
        windows_(facts_, image / "stores" / "clipboard.txt"),
        pstore_(EmulatedPStore::Load(image / "stores" / "pstore.ini")),
        internet_(image / "stores"),
        logon_tasks_(MakeEmulatedLogonTasks(facts_, files_)),
        events_(image / "stores" / "events.txt") {
    // A user who is no administrator may read HKEY_LOCAL_MACHINE but not change it.
    registry_->SetLocalMachineWritable(facts_.administrator);
    files_.SetTemporaryJournal(TemporaryJournalOf(image));
  }

  Registry& registry() override { return *registry_; }
  FileSystem& files() override { return files_; }
  SystemInfo& system() override { return system_; }
  WindowSystem& windows() override { return windows_; }
  ProtectedStorage& protected_storage() override { return *pstore_; }
  Internet& internet() override { return internet_; }
  LogonTasks& logon_tasks() override { return *logon_tasks_; }
  EventLog& events() override { return events_; }
  [[nodiscard]] const MachineFacts& facts() const override { return facts_; }

  void Save() override {
    if (registry_->changed()) Write(image_ / "registry.reg", registry_->Serialize());
    if (pstore_->changed()) {
      Write(image_ / "stores" / "pstore.ini", pstore_->Serialize());
      pstore_->MarkSaved();
    }
    internet_.Save();
  }

  [[nodiscard]] std::optional<std::filesystem::path> HostPath(
      std::string_view windows_path) const override {
    return files_.HostPath(windows_path);
  }

 private:
  std::filesystem::path image_;
  MachineFacts facts_;
  std::unique_ptr<EmulatedRegistry> registry_;
  EmulatedFiles files_;
  EmulatedSystemInfo system_;
  EmulatedWindowSystem windows_;
  std::unique_ptr<EmulatedPStore> pstore_;
  EmulatedInternet internet_;
  std::unique_ptr<LogonTasks> logon_tasks_;
  EmulatedEventLog events_;

  void Write(const std::filesystem::path& file, std::string_view bytes) const {
    if (const int error = WriteFileAtomically(file, bytes, TemporaryJournalOf(image_)); error != 0)
      throw MachineImageError(file.string() +
                              ": cannot be written: " + std::generic_category().message(error));
  }
};

}  // namespace

std::unique_ptr<EmulatedMachine> EmulatedMachine::Open(const std::filesystem::path& image) {
  std::error_code error;
  if (!std::filesystem::is_directory(image, error)) {
    if (std::filesystem::exists(image, error))
      throw MachineImageError(image.string() + ": machine image is not a folder");
    throw MachineImageError(image.string() + ": machine image folder not found");
  }
  RemoveStaleTemporaries(TemporaryJournalOf(image));
  return std::make_unique<ImageMachine>(image);
}

}  // namespace morvel::platform::emulated
