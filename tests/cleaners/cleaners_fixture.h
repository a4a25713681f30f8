#pragma once
// The fixture of the Windows, Advanced, Office and messenger cleaner tests: a fresh
// machine per test, a port whose application-data folder can be taken away, helpers that
// lay traces down through the port where the cleaners look, and one call that runs an
// item in Test mode and then in Clean mode and checks that the two agree.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cleaner_table.h"
#include "engine/dispatch.h"
#include "engine/run_mode.h"
#include "platform/port.h"
#include "tests/cleaners/cleaners_machine.h"
#include "tests/definitions/recording_run.h"
#include "tests/unit/fake_port.h"

namespace morvel::cleaners_test {

class OverridingSystem final : public platform::SystemInfo {
 public:
  explicit OverridingSystem(Machine& machine) : machine_(machine) {}
  std::string ExecutableFolder() const override { return sys().ExecutableFolder(); }
  platform::WindowsVersion Version() const override { return sys().Version(); }
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
    return sys().SpecialFolderPath(folder);
  }
  std::vector<std::string> UserDataFolders() const override { return sys().UserDataFolders(); }
  void EndBrowserSession() override { machine_.system().EndBrowserSession(); }
  bool IsAdministrator() const override { return sys().IsAdministrator(); }

  std::optional<std::string> app_data;  // replaces the machine's application-data folder

 private:
  const platform::SystemInfo& sys() const { return machine_.system(); }
  Machine& machine_;
};

// What one run of one item reported.
struct Outcome {
  std::int32_t count = 0;
  std::uint64_t bytes = 0;
  std::string size_text;
  std::vector<std::string> lines;  // entry lines without their "Test: "/"Clean: " prefix
  std::vector<std::string> raw_lines;
};

class CleanersTest : public ::testing::Test {
 protected:
  static constexpr platform::RootKey kUser = platform::RootKey::CurrentUser;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    machine_ = MakeMachine(std::string(info->test_suite_name()) + "." + info->name());
    system_ = std::make_unique<OverridingSystem>(*machine_);
  }
  void TearDown() override {
    ports_.clear();
    system_.reset();
    machine_.reset();
  }

  Machine& machine() { return *machine_; }
  OverridingSystem& system() { return *system_; }
  platform::Registry& registry() { return machine_->registry(); }
  platform::FileSystem& files() { return machine_->files(); }

  // Runs the item's cleaner as the run's dispatch chooses it.
  Outcome RunItem(std::string_view key, RunMode mode,
                  const std::function<void(TOptionsSetting&)>& configure = {}) {
    ports_.push_back(std::make_unique<platform::Port>(
        platform::Port{registry(), files(), *system_, machine_->windows(), questions, no_pstore_}));
    testing::RecordingRun run(mode, *ports_.back());
    if (configure) configure(run.settings());
    const Cleaner cleaner = CleanerFor(DispatchKey(key));
    EXPECT_TRUE(cleaner) << key;
    if (cleaner) cleaner(run, key);
    Outcome outcome{run.item_count, run.item_bytes, run.item_size_text, {}, run.log};
    const std::string prefix = mode == RunMode::Test ? "Test: " : "Clean: ";
    for (const std::string& line : run.log)
      outcome.lines.push_back(line.starts_with(prefix) ? line.substr(prefix.size()) : line);
    return outcome;
  }

  // Test, then Clean: Test must change nothing and report exactly what Clean then
  // removes (same count, bytes and lines). Returns the Clean run's outcome.
  Outcome TestThenClean(std::string_view key,
                        const std::function<void(TOptionsSetting&)>& configure = {}) {
    const std::optional<std::string> before = machine_->SavedRegistry();
    const Outcome test = RunItem(key, RunMode::Test, configure);
    if (before) {
      EXPECT_EQ(*before, *machine_->SavedRegistry()) << key << ": Test changed the registry";
    }
    const Outcome clean = RunItem(key, RunMode::Clean, configure);
    EXPECT_EQ(test.count, clean.count) << key;
    EXPECT_EQ(test.bytes, clean.bytes) << key;
    EXPECT_EQ(test.size_text, clean.size_text) << key;
    EXPECT_EQ(test.lines, clean.lines) << key;
    return clean;
  }

  // Windows paths of the machine's folders, without a trailing "\".
  std::string Temp() {
    std::string temp = machine_->system().TempFolder();
    if (temp.ends_with('\\')) temp.pop_back();
    return temp;
  }
  std::string Recent() {
    return machine_->system().SpecialFolderPath(platform::SpecialFolder::Recent);
  }
  std::string AppData() {
    return machine_->system().SpecialFolderPath(platform::SpecialFolder::AppData);
  }
  std::string Documents() {
    return machine_->system().SpecialFolderPath(platform::SpecialFolder::Personal);
  }
  std::string Windows() { return machine_->system().WindowsFolder(); }
  std::string System() { return machine_->system().SystemFolder(); }
  std::string ProgramFiles() {
    return platform::ReadText(registry(), platform::RootKey::LocalMachine,
                              "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
        .value_or("");
  }

  // Creates the key with string values named `names` (the text is the name).
  void PutKey(const std::string& path, const std::vector<std::string>& names = {}) {
    ASSERT_TRUE(registry().CreateKey(kUser, path).ok()) << path;
    for (const std::string& name : names)
      ASSERT_TRUE(
          registry().WriteValue(kUser, path, platform::RegistryValue::MakeString(name, name)).ok())
          << path << "\\" << name;
  }
  void PutValue(const std::string& path, const platform::RegistryValue& value) {
    ASSERT_TRUE(registry().CreateKey(kUser, path).ok()) << path;
    ASSERT_TRUE(registry().WriteValue(kUser, path, value).ok()) << path << "\\" << value.name;
  }
  bool KeyExists(const std::string& path) { return registry().KeyExists(kUser, path); }
  bool ValueExists(const std::string& path, std::string_view name) {
    return registry().ReadValue(kUser, path, name).ok();
  }

  // Creates the file (and its folders) with `size` bytes.
  void PutFile(const std::string& path, std::size_t size = 100) {
    const std::size_t slash = path.rfind('\\');
    MakeFolders(path.substr(0, slash));
    ASSERT_TRUE(files().WriteFile(path, std::string(size, 'x')).ok()) << path;
  }
  void MakeFolders(const std::string& folder) {
    std::size_t at = folder.find('\\', 3);
    while (true) {
      (void)files().CreateFolder(folder.substr(0, at));
      if (at == std::string::npos) break;
      at = folder.find('\\', at + 1);
    }
  }
  bool Exists(const std::string& path) { return files().Exists(path); }

  testing::ScriptedQuestions questions;

 private:
  std::unique_ptr<Machine> machine_;
  std::unique_ptr<OverridingSystem> system_;
  testing::NoProtectedStorage no_pstore_;
  std::vector<std::unique_ptr<platform::Port>> ports_;
};

}  // namespace morvel::cleaners_test
