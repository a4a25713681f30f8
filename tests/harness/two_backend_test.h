#pragma once
// The fixture every two-backend suite builds on: a fresh test machine per test (as the
// suite's MachineSetup describes it), a system whose answers a test may override, ports
// and recording runs on that machine, and paths in its scratch key and folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_mode.h"
#include "platform/port.h"
#include "tests/harness/recording_run.h"
#include "tests/harness/test_machine.h"

// Skips the test (from a helper: returns from it) when an arranger step cannot be done here.
#define SKIP_IF(reason)                                  \
  do {                                                   \
    if (const auto why = (reason)) GTEST_SKIP() << *why; \
  } while (false)

namespace morvel::testing {

// The machine's system, with the answers a test chose in place of some of its own.
class OverridingSystem final : public platform::SystemInfo {
 public:
  explicit OverridingSystem(TestMachine& machine) : machine_(machine) {}
  std::string ExecutableFolder() const override {
    return program_folder.empty() ? sys().ExecutableFolder() : program_folder;
  }
  platform::WindowsVersion Version() const override {
    platform::WindowsVersion version = version_override.value_or(sys().Version());
    if (family) version.family = *family;
    return version;
  }
  std::string ComputerName() const override { return sys().ComputerName(); }
  std::string UserName() const override { return sys().UserName(); }
  std::optional<platform::CalendarTime> FileTimeToLocalCalendar(std::uint64_t t) const override {
    return sys().FileTimeToLocalCalendar(t);
  }
  std::string FormatShortDate(const platform::CalendarTime& t) const override {
    return sys().FormatShortDate(t);
  }
  std::string FormatLongTime(const platform::CalendarTime& t) const override {
    return sys().FormatLongTime(t);
  }
  std::string WindowsFolder() const override { return sys().WindowsFolder(); }
  std::string SystemFolder() const override { return sys().SystemFolder(); }
  std::string TempFolder() const override { return sys().TempFolder(); }
  platform::DriveType DriveTypeOf(char letter) const override { return sys().DriveTypeOf(letter); }
  std::string SpecialFolderPath(platform::SpecialFolder folder) const override {
    if (folder == platform::SpecialFolder::AppData && app_data) return *app_data;
    if (const auto chosen = folders.find(folder); chosen != folders.end()) return chosen->second;
    return sys().SpecialFolderPath(folder);
  }
  std::vector<std::string> UserDataFolders() const override { return sys().UserDataFolders(); }
  void EndBrowserSession() override { machine_.system().EndBrowserSession(); }
  bool IsAdministrator() const override { return administrator.value_or(sys().IsAdministrator()); }

  std::string program_folder;  // with a trailing "\"; empty for the machine's own
  std::optional<bool> administrator;
  std::optional<platform::WindowsFamily> family;
  std::optional<platform::WindowsVersion> version_override;
  std::optional<std::string> app_data;                     // replaces the application-data folder
  std::map<platform::SpecialFolder, std::string> folders;  // replace the machine's

 private:
  const platform::SystemInfo& sys() const { return machine_.system(); }
  TestMachine& machine_;
};

class TwoBackendTest : public ::testing::Test {
 protected:
  static constexpr platform::RootKey kUser = platform::RootKey::CurrentUser;
  static constexpr platform::RootKey kMachine = platform::RootKey::LocalMachine;

  // The suite's machine; the same object for every test of the suite.
  virtual const MachineSetup& Machine() const = 0;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    machine_ = MakeTestMachine(Machine(), name);
    system_ = std::make_unique<OverridingSystem>(*machine_);
  }
  void TearDown() override {
    system_.reset();
    machine_.reset();
  }

  TestMachine& machine() { return *machine_; }
  OverridingSystem& system() { return *system_; }
  platform::Registry& registry() { return machine_->registry(); }
  platform::FileSystem& files() { return machine_->files(); }

  // A port on the machine as it is now (an arranger step may have reopened it).
  platform::Port PortAsking(platform::UserQuestions& asked) {
    return platform::Port{machine_->registry(),
                          machine_->files(),
                          *system_,
                          machine_->windows(),
                          asked,
                          machine_->protected_storage(),
                          machine_->internet(),
                          machine_->logon_tasks(), machine_->events()};
  }
  platform::Port Port() { return PortAsking(questions); }

  // A run on this machine whose questions go to the fixture's `questions`, or to the
  // run's own with `own_questions`.
  std::unique_ptr<RecordingRun> MakeRun(RunMode mode, bool own_questions = false) {
    return std::make_unique<RecordingRun>(
        mode, [this, own_questions](platform::UserQuestions& run_questions) {
          return PortAsking(own_questions ? run_questions : questions);
        });
  }

  // A key below the scratch key, and a path below the scratch folder ("" for themselves).
  std::string Key(std::string_view sub = {}) const {
    return sub.empty() ? machine_->scratch_key()
                       : machine_->scratch_key() + "\\" + std::string(sub);
  }
  std::string Path(std::string_view sub = {}) const {
    return sub.empty() ? machine_->scratch_folder()
                       : machine_->scratch_folder() + "\\" + std::string(sub);
  }

  // Creates the key with string values named `names` (the text is the name).
  void PutKey(platform::RootKey root, const std::string& path,
              const std::vector<std::string>& names = {}) {
    ASSERT_TRUE(registry().CreateKey(root, path).ok()) << path;
    for (const std::string& name : names)
      ASSERT_TRUE(
          registry().WriteValue(root, path, platform::RegistryValue::MakeString(name, name)).ok())
          << path << "\\" << name;
  }

  // Writes a file at `path` (absolute), making its folders ("C:\" for a file on a root).
  void WriteAt(const std::string& path, std::string_view bytes) {
    std::size_t at = path.find('\\', 3);
    while (at != std::string::npos && at < path.rfind('\\')) {
      (void)files().CreateFolder(path.substr(0, at));
      at = path.find('\\', at + 1);
    }
    const std::size_t cut = path.rfind('\\');
    if (!files().CreateFolder(path.substr(0, cut == 2 ? 3 : cut)).ok())
      throw std::runtime_error("cannot make the folder of " + path);
    if (!files().WriteFile(path, bytes).ok()) throw std::runtime_error("cannot write " + path);
  }
  bool Exists(const std::string& path) { return files().Exists(path); }

  // Calls `visit` with every entry below `folder` (absolute) and its path relative to it
  // ("sub\name"), depth first in listing order; links and junctions are not entered.
  void WalkTree(const std::string& folder,
                const std::function<void(const std::string&, const platform::FileEntry&)>& visit,
                const std::string& relative = {}) {
    std::vector<platform::FileEntry> entries;
    (void)files().Enumerate(folder, [&](const platform::FileEntry& e) {
      entries.push_back(e);
      return true;
    });
    for (const platform::FileEntry& e : entries) {
      visit(relative + e.name, e);
      if (e.IsFolder() && !e.IsReparsePoint())
        WalkTree(folder + "\\" + e.name, visit, relative + e.name + "\\");
    }
  }

  ScriptedQuestions questions;

 private:
  std::unique_ptr<TestMachine> machine_;
  std::unique_ptr<OverridingSystem> system_;
};

}  // namespace morvel::testing
