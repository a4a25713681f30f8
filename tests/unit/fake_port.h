#pragma once
// A port with nothing on it, for code that needs one but does not use it.

#include <map>
#include <string>

#include "platform/port.h"

namespace morvel::testing {

class EmptyRegistry final : public platform::Registry {
 public:
  using R = platform::Result<std::vector<std::string>>;
  bool KeyExists(platform::RootKey, std::string_view) const override { return false; }
  R SubKeyNames(platform::RootKey, std::string_view, platform::Access) const override {
    return R::Failed(platform::ErrorKind::NotFound);
  }
  platform::Result<std::vector<platform::RegistryValue>> Values(platform::RootKey,
                                                                std::string_view) const override {
    return platform::Result<std::vector<platform::RegistryValue>>::Failed(
        platform::ErrorKind::NotFound);
  }
  platform::Result<platform::RegistryValue> ReadValue(platform::RootKey, std::string_view,
                                                      std::string_view) const override {
    return platform::Result<platform::RegistryValue>::Failed(platform::ErrorKind::NotFound);
  }
  platform::Status CreateKey(platform::RootKey, std::string_view) override { return Denied(); }
  platform::Status WriteValue(platform::RootKey, std::string_view,
                              const platform::RegistryValue&) override {
    return Denied();
  }
  platform::Status DeleteValue(platform::RootKey, std::string_view, std::string_view) override {
    return Denied();
  }
  platform::Status DeleteTree(platform::RootKey, std::string_view) override { return Denied(); }

 private:
  static platform::Status Denied() {
    return platform::Status::Error(platform::ErrorKind::AccessDenied);
  }
};

class EmptyFiles : public platform::FileSystem {
 public:
  platform::Status Enumerate(
      std::string_view, const std::function<bool(const platform::FileEntry&)>&) const override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
  platform::Result<platform::FileEntry> Stat(std::string_view) const override {
    return platform::Result<platform::FileEntry>::Failed(platform::ErrorKind::NotFound);
  }
  platform::Result<std::string> ReadFile(std::string_view) const override {
    return platform::Result<std::string>::Failed(platform::ErrorKind::NotFound);
  }
  platform::Status WriteFile(std::string_view, std::string_view) override {
    return platform::Status::Error(platform::ErrorKind::AccessDenied);
  }
  platform::Status CreateFolder(std::string_view) override {
    return platform::Status::Error(platform::ErrorKind::AccessDenied);
  }
  platform::Result<std::unique_ptr<platform::FileReader>> OpenForReading(
      std::string_view) const override {
    return platform::Result<std::unique_ptr<platform::FileReader>>::Failed(
        platform::ErrorKind::NotFound);
  }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenExclusive(std::string_view) override {
    return platform::Result<std::unique_ptr<platform::FileWriter>>::Failed(
        platform::ErrorKind::NotFound);
  }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenSharedForWriting(
      std::string_view) override {
    return platform::Result<std::unique_ptr<platform::FileWriter>>::Failed(
        platform::ErrorKind::NotFound);
  }
  std::string ShortPathName(std::string_view) const override { return {}; }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenToOverwrite(
      std::string_view) override {
    return platform::Result<std::unique_ptr<platform::FileWriter>>::Failed(
        platform::ErrorKind::NotFound);
  }
  platform::Result<std::string> FinalPath(std::string_view) const override {
    return platform::Result<std::string>::Failed(platform::ErrorKind::NotFound);
  }
  platform::Result<std::unique_ptr<platform::FolderHandle>> OpenFolder(std::string_view) override {
    return platform::Result<std::unique_ptr<platform::FolderHandle>>::Failed(
        platform::ErrorKind::NotFound);
  }
  platform::Status ShellDelete(std::string_view) override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
  platform::Status RemoveFolder(std::string_view) override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
  platform::Status DeleteOnReboot(std::string_view) override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
  platform::Status EmptyRecycleBins() override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
  platform::Result<platform::RecycleBinContents> QueryRecycleBin(char) const override {
    return platform::Result<platform::RecycleBinContents>::Failed(platform::ErrorKind::NotFound);
  }
};

// Every time converts to `local_time` when a test sets it, written day.month.year and
// hour:minute; the documents folder is `documents`.
class EmptySystem final : public platform::SystemInfo, public platform::WindowSystem {
 public:
  std::string ExecutableFolder() const override { return "C:\\Program Files\\Morvel\\"; }
  platform::WindowsVersion Version() const override { return {}; }
  std::optional<platform::CalendarTime> FileTimeToLocalCalendar(std::uint64_t t) const override {
    converted = t;
    return local_time;
  }
  std::string FormatShortDate(const platform::CalendarTime& t) const override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
  }
  std::string FormatLongTime(const platform::CalendarTime& t) const override {
    return std::to_string(t.hour) + ":" + std::to_string(t.minute);
  }

  std::string WindowsFolder() const override { return {}; }
  std::string SystemFolder() const override { return {}; }
  std::string TempFolder() const override { return {}; }
  platform::DriveType DriveTypeOf(char) const override { return platform::DriveType::NoRootDir; }
  std::string SpecialFolderPath(platform::SpecialFolder folder) const override {
    return folder == platform::SpecialFolder::Personal ? documents : std::string();
  }
  std::vector<std::string> UserDataFolders() const override { return {}; }
  void EndBrowserSession() override {}
  bool IsAdministrator() const override { return false; }
  bool TopLevelWindowExists(std::string_view) const override { return false; }
  platform::Status EmptyClipboard() override { return platform::Status::Ok(); }

  std::optional<platform::CalendarTime> local_time;
  std::string documents;
  mutable std::optional<std::uint64_t> converted;  // the last time converted
};

class NoQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question&) override { return platform::Answer::No; }
};

// A machine without pstorec.dll; its code page keeps ASCII and turns the rest into "?".
class NoProtectedStorage final : public platform::ProtectedStorage {
 public:
  bool Available() const override { return false; }
  platform::Result<std::unique_ptr<platform::StoreProvider>> CreateProvider(
      const std::optional<platform::StoreId>&) override {
    return platform::Result<std::unique_ptr<platform::StoreProvider>>::Failed(
        platform::ErrorKind::NotFound);
  }
  std::string ToSystemCodePage(std::u16string_view text) const override {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }
  std::u16string FromSystemCodePage(std::string_view text) const override {
    std::u16string out;
    for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : u'?';
    return out;
  }
};

// A machine whose URL cache is empty and whose URL history store cannot be created.
class NoInternet final : public platform::Internet {
 public:
  void WalkUrlCache(const platform::UrlVisitor&) override {}
  platform::Status WalkUrlHistory(const platform::UrlVisitor&) override {
    return platform::Status::Error(platform::ErrorKind::NotFound);
  }
};

// A Task Scheduler that keeps the definitions it is given by name; `available` false is a
// Windows without one, and `deny` refuses every change.
class KeptTasks final : public platform::LogonTasks {
 public:
  bool Available() const override { return available; }
  std::string CurrentUser() const override { return "PC\\User"; }
  platform::Result<bool> Exists(std::string_view name) const override {
    if (!available) return platform::Result<bool>::Failed(platform::ErrorKind::NotFound);
    return platform::Result<bool>::Of(tasks.contains(std::string(name)));
  }
  platform::Status Register(std::string_view name, std::string_view xml) override {
    if (!available) return platform::Status::Error(platform::ErrorKind::NotFound);
    if (deny) return platform::Status::Error(platform::ErrorKind::AccessDenied);
    tasks[std::string(name)] = xml;
    return platform::Status::Ok();
  }
  platform::Status Remove(std::string_view name) override {
    if (!available || !tasks.contains(std::string(name)))
      return platform::Status::Error(platform::ErrorKind::NotFound);
    if (deny) return platform::Status::Error(platform::ErrorKind::AccessDenied);
    tasks.erase(std::string(name));
    return platform::Status::Ok();
  }
  std::map<std::string, std::string> tasks;
  bool available = true, deny = false;
};

struct FakePort {
  EmptyRegistry registry;
  EmptyFiles files;
  EmptySystem system;
  NoQuestions questions;
  NoProtectedStorage protected_storage;
  NoInternet internet;
  KeptTasks tasks;
  platform::Port port{registry,          files,    system, system, questions,
                      protected_storage, internet, tasks};
};

}  // namespace morvel::testing
