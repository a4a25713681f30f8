#pragma once
// The fixture of the cleaner tests: a fresh machine per test, a port whose application-data
// folder can be taken away, helpers that lay traces down through the port where the
// cleaners look, and one call that runs an item in Test mode and then in Clean mode and
// checks that the two agree.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cleaner_table.h"
#include "engine/dispatch.h"
#include "engine/executor.h"
#include "engine/format_kb.h"
#include "engine/run_mode.h"
#include "tests/harness/two_backend_test.h"

namespace morvel::cleaners_test {

// What one run of one item reported.
struct Outcome {
  std::int32_t count = 0;
  std::uint64_t bytes = 0;
  std::string size_text;
  std::vector<std::string> lines;  // entry lines without their "Test: "/"Clean: " prefix
  std::vector<std::string> raw_lines;
  Tally tally;
};

class CleanersTest : public testing::TwoBackendTest {
 protected:
  // Natively a Windows 7 image with fixed drives C: and D:, a removable E:, and the
  // registry values a real machine has for the folders the cleaners look up; under Wine
  // the prefix itself, rid of every trace the cleaners look for before and after a test.
  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.machine_ini =
          "[System]\r\nPlatform=NT\r\nVersion=6.1\r\nAdministrator=1\r\n"
          "[Drives]\r\nC=fixed\r\nD=fixed\r\nE=removable\r\n";
      s.registry_reg =
          "Windows Registry Editor Version 5.00\r\n"
          "\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
          "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
          "\r\n";
      s.image_folders = {"drives/C/Users/User/AppData/Local/Temp",
                         "drives/C/Users/User/AppData/Roaming/Microsoft/Windows/Recent",
                         "drives/C/Users/User/Documents",
                         "drives/C/Windows/system32",
                         "drives/C/Program Files",
                         "drives/D",
                         "drives/E",
                         "stores"};
      s.remove_cleaner_traces = true;
      return s;
    }();
    return setup;
  }

  // Runs the item's cleaner as the run's dispatch chooses it.
  Outcome RunItem(std::string_view key, RunMode mode,
                  const std::function<void(TOptionsSetting&)>& configure = {}) {
    auto run = MakeRun(mode);
    if (configure) configure(run->settings);
    const Cleaner cleaner = CleanerFor(DispatchKey(key), key);
    EXPECT_TRUE(cleaner) << key;
    Executor executor(*run);
    Tally tally;
    if (cleaner) tally = cleaner(executor);
    Outcome outcome{tally.items, tally.bytes, FormatKB(tally.bytes), {}, run->log, tally};
    const std::string prefix = mode == RunMode::Test ? "Test: " : "Clean: ";
    for (const std::string& line : run->log)
      outcome.lines.push_back(line.starts_with(prefix) ? line.substr(prefix.size()) : line);
    return outcome;
  }

  // Test, then Clean: Test must change nothing and report exactly what Clean then
  // removes (the same lines; the same count and bytes but for what both leave, for the
  // same reasons). Returns the Clean run's outcome.
  Outcome TestThenClean(std::string_view key,
                        const std::function<void(TOptionsSetting&)>& configure = {}) {
    const std::optional<std::string> before = machine().SavedRegistry();
    const Outcome test = RunItem(key, RunMode::Test, configure);
    if (before) {
      EXPECT_EQ(*before, *machine().SavedRegistry()) << key << ": Test changed the registry";
    }
    const Outcome clean = RunItem(key, RunMode::Clean, configure);
    ExpectAgree(test.tally, clean.tally, key);
    EXPECT_EQ(test.lines, clean.lines) << key;
    return clean;
  }

  // What the tally promises (tally.h): a probing Test and the Clean after it leave the same
  // entries, and count the same but for those.
  static void ExpectAgree(const Tally& test, const Tally& clean, std::string_view what) {
    EXPECT_EQ(test.left, clean.left) << what;
    EXPECT_EQ(WrappingAdd(test.items, -test.LeftItems()), clean.items) << what;
    EXPECT_EQ(test.bytes - test.LeftBytes(), clean.bytes) << what;
  }

  // Windows paths of the machine's folders, without a trailing "\".
  std::string Temp() {
    std::string temp = machine().system().TempFolder();
    if (temp.ends_with('\\')) temp.pop_back();
    return temp;
  }
  std::string Recent() {
    return machine().system().SpecialFolderPath(platform::SpecialFolder::Recent);
  }
  std::string AppData() {
    return machine().system().SpecialFolderPath(platform::SpecialFolder::AppData);
  }
  std::string Documents() {
    return machine().system().SpecialFolderPath(platform::SpecialFolder::Personal);
  }
  std::string Windows() { return machine().system().WindowsFolder(); }
  std::string System() { return machine().system().SystemFolder(); }
  std::string ProgramFiles() {
    return platform::ReadText(registry(), platform::RootKey::LocalMachine,
                              "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
        .value_or("");
  }

  // Creates the key with string values named `names` (the text is the name).
  void PutKey(const std::string& path, const std::vector<std::string>& names = {}) {
    TwoBackendTest::PutKey(kUser, path, names);
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
    WriteAt(path, std::string(size, 'x'));
  }
};

}  // namespace morvel::cleaners_test
