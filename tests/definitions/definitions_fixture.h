#pragma once
// The fixture of the registry-removal and definition-file tests: a fresh machine per test,
// a port whose program folder is the scratch folder (so the tests' definition files stay
// inside it) and whose administrator test and Windows family can be overridden, and
// helpers to arrange and inspect registry keys and files through the port.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_mode.h"
#include "platform/port.h"
#include "tests/definitions/definitions_machine.h"
#include "tests/definitions/recording_run.h"
#include "tests/unit/fake_port.h"

namespace morvel::definitions_test {

class OverridingSystem final : public platform::SystemInfo {
 public:
  explicit OverridingSystem(Machine& machine) : machine_(machine) {}
  std::string ExecutableFolder() const override {
    return program_folder.empty() ? machine_.system().ExecutableFolder() : program_folder;
  }
  platform::WindowsVersion Version() const override {
    platform::WindowsVersion version = machine_.system().Version();
    if (family) version.family = *family;
    return version;
  }
  std::optional<platform::CalendarTime> FileTimeToLocalCalendar(
      std::uint64_t filetime) const override {
    return machine_.system().FileTimeToLocalCalendar(filetime);
  }
  std::string FormatShortDate(const platform::CalendarTime& time) const override {
    return machine_.system().FormatShortDate(time);
  }
  std::string FormatLongTime(const platform::CalendarTime& time) const override {
    return machine_.system().FormatLongTime(time);
  }
  std::string WindowsFolder() const override { return machine_.system().WindowsFolder(); }
  std::string SystemFolder() const override { return machine_.system().SystemFolder(); }
  std::string TempFolder() const override { return machine_.system().TempFolder(); }
  platform::DriveType DriveTypeOf(char letter) const override {
    return machine_.system().DriveTypeOf(letter);
  }
  std::string SpecialFolderPath(platform::SpecialFolder folder) const override {
    return machine_.system().SpecialFolderPath(folder);
  }
  std::vector<std::string> UserDataFolders() const override {
    return machine_.system().UserDataFolders();
  }
  void EndBrowserSession() override { machine_.system().EndBrowserSession(); }
  bool IsAdministrator() const override {
    return administrator.value_or(machine_.system().IsAdministrator());
  }

  std::string program_folder;  // with a trailing "\"; empty for the machine's own
  std::optional<bool> administrator;
  std::optional<platform::WindowsFamily> family;

 private:
  Machine& machine_;
};

class DefinitionsTest : public ::testing::Test {
 protected:
  static constexpr platform::RootKey kUser = platform::RootKey::CurrentUser;
  static constexpr platform::RootKey kMachine = platform::RootKey::LocalMachine;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    machine_ = MakeMachine(name);
    system_ = std::make_unique<OverridingSystem>(*machine_);
    system_->program_folder = Folder() + "\\";
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

  // A port on the machine as it is now (the machine may have been reopened).
  platform::Port Port() {
    return platform::Port{machine_->registry(), machine_->files(), *system_,
                          machine_->windows(),  questions,         no_protected_storage_};
  }
  std::unique_ptr<testing::RecordingRun> MakeRun(RunMode mode) {
    ports_.push_back(std::make_unique<platform::Port>(Port()));
    return std::make_unique<testing::RecordingRun>(mode, *ports_.back());
  }

  // A key path below the scratch key ("" for the scratch key itself).
  std::string Key(std::string_view sub = {}) const {
    return sub.empty() ? machine_->scratch_key()
                       : machine_->scratch_key() + "\\" + std::string(sub);
  }
  // A path below the scratch folder ("" for the folder itself).
  std::string Folder(std::string_view sub = {}) const {
    return sub.empty() ? machine_->scratch_folder()
                       : machine_->scratch_folder() + "\\" + std::string(sub);
  }

  // Creates the key `path` with string values named `names` (the text is the name).
  void PutKey(platform::RootKey root, const std::string& path,
              const std::vector<std::string>& names = {}) {
    ASSERT_TRUE(registry().CreateKey(root, path).ok()) << path;
    for (const std::string& name : names)
      ASSERT_TRUE(
          registry().WriteValue(root, path, platform::RegistryValue::MakeString(name, name)).ok())
          << path << "\\" << name;
  }

  // Every key and value below `path` (included), one line each, for before/after checks.
  std::vector<std::string> Dump(platform::RootKey root, const std::string& path) {
    std::vector<std::string> lines;
    DumpInto(root, path, lines);
    return lines;
  }

  void PutFile(const std::string& path, std::string_view bytes) {
    const std::size_t slash = path.rfind('\\');
    ASSERT_TRUE(files().CreateFolder(path.substr(0, slash)).ok()) << path;
    ASSERT_TRUE(files().WriteFile(path, bytes).ok()) << path;
  }
  bool Exists(const std::string& path) { return files().Exists(path); }

  testing::ScriptedQuestions questions;

 private:
  void DumpInto(platform::RootKey root, const std::string& path, std::vector<std::string>& out) {
    if (!registry().KeyExists(root, path)) return;
    out.push_back("[" + path + "]");
    if (auto values = registry().Values(root, path))
      for (const auto& v : values.value) out.push_back(v.name + "=" + v.AsText().value_or("?"));
    if (auto subs = registry().SubKeyNames(root, path))
      for (const auto& s : subs.value) DumpInto(root, path + "\\" + s, out);
  }

  std::unique_ptr<Machine> machine_;
  std::unique_ptr<OverridingSystem> system_;
  testing::NoProtectedStorage no_protected_storage_;  // not used by these cleaners
  std::vector<std::unique_ptr<platform::Port>> ports_;
};

}  // namespace morvel::definitions_test
