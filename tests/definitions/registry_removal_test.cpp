#include "engine/registry_removal.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/definitions/definitions_fixture.h"

namespace morvel::definitions_test {
namespace {

using platform::RootKey;
using testing::RecordingRun;

TEST(RootKeyNames, OnlyTheFiveFullNamesInAnyCase) {
  const struct {
    const char* text;
    std::optional<RootKey> root;
  } cases[] = {
      {"HKEY_CURRENT_USER", RootKey::CurrentUser},
      {"hkey_current_user", RootKey::CurrentUser},
      {"Hkey_Local_Machine", RootKey::LocalMachine},
      {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
      {"HKEY_USERS", RootKey::Users},
      {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
      {"HKCU", std::nullopt},
      {"HKLM", std::nullopt},
      {"", std::nullopt},
      {" HKEY_USERS", std::nullopt},
      {"HKEY_USERS\\", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RootKeyFromName(c.text), c.root) << c.text;
  for (RootKey root : {RootKey::CurrentUser, RootKey::ClassesRoot, RootKey::Users,
                       RootKey::CurrentConfig, RootKey::LocalMachine})
    EXPECT_EQ(RootKeyFromName(RootKeyName(root)), root);
  EXPECT_EQ(RootKeyName(static_cast<RootKey>(99)), "");
}

class RegistryRemoval : public DefinitionsTest {
 protected:
  using Operation = std::function<Tally(RecordingRun&)>;

  // Runs `op` in Test mode, then in Clean mode on the same data. Test must change nothing
  // (the stored registry stays byte-identical) and both must log the same entries; both
  // count `expected`, unless Clean is given a count of its own (what could not be removed),
  // and both leave the same entries, for which the Test counted the difference.
  // Returns the Clean run.
  std::unique_ptr<RecordingRun> TestThenClean(RootKey root, const Operation& op,
                                              std::int32_t expected,
                                              std::optional<std::int32_t> clean_expected = {}) {
    const auto before = Dump(root, Key());
    const auto stored_before = machine().SavedRegistry();
    auto test = MakeRun(RunMode::Test);
    const Tally listed = op(*test);
    EXPECT_EQ(listed.items, expected) << "Test";
    EXPECT_EQ(Dump(root, Key()), before);
    EXPECT_EQ(machine().SavedRegistry(), stored_before);

    auto clean = MakeRun(RunMode::Clean);
    const Tally removed = op(*clean);
    EXPECT_EQ(removed.items, clean_expected.value_or(expected)) << "Clean";
    EXPECT_EQ(removed.left, listed.left);
    EXPECT_EQ(listed.items - listed.LeftItems(), removed.items);
    std::vector<std::string> test_lines;
    for (const std::string& line : test->log)
      test_lines.push_back("Clean: " + line.substr(std::string("Test: ").size()));
    EXPECT_EQ(test_lines, clean->log);
    EXPECT_EQ(clean->scrolls, std::vector<int>(clean->log.size(), 0));
    return clean;
  }

  std::string KeyLine(const std::string& path, const char* root = "HKEY_CURRENT_USER") {
    return "Clean: deleting registry key " + std::string(root) + "\\" + path;
  }
  std::string ValueLine(const std::string& path, const std::string& name) {
    return "Clean: deleting registry value HKEY_CURRENT_USER\\" + path + "\\" + name;
  }
};

TEST_F(RegistryRemoval, KeyCountsEveryValueBelowIt) {
  PutKey(kUser, Key("A"), {"v1", "v2", "v3"});
  PutKey(kUser, Key("A\\Sub"), {"w1", "w2"});
  PutKey(kUser, Key("Other"), {"keep"});
  auto run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKey(r, kUser, Key("A")); }, 5);
  EXPECT_EQ(run->log, std::vector<std::string>{KeyLine(Key("A"))});
  EXPECT_FALSE(registry().KeyExists(kUser, Key("A")));
  EXPECT_TRUE(registry().KeyExists(kUser, Key("Other")));
}

TEST_F(RegistryRemoval, KeyWithoutValuesCountsOneAndMissingKeyNothing) {
  PutKey(kUser, Key("Empty\\Deeper\\Still"));
  auto run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKey(r, kUser, Key("Empty")); }, 1);
  EXPECT_FALSE(registry().KeyExists(kUser, Key("Empty")));

  run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKey(r, kUser, Key("Missing")); }, 0);
  EXPECT_TRUE(run->log.empty());
}

TEST_F(RegistryRemoval, DefaultValueCounts) {
  PutKey(kUser, Key("D"));
  ASSERT_TRUE(
      registry().WriteValue(kUser, Key("D"), platform::RegistryValue::MakeString("", "x")).ok());
  EXPECT_EQ(CountKeyValues(registry(), kUser, Key("D")), 1);
  EXPECT_EQ(CountKeyValues(registry(), kUser, Key("Missing")), 0);
}

TEST_F(RegistryRemoval, EmptyValueNameEmptiesTheKeyAndKeepsIt) {
  PutKey(kUser, Key("K"), {"a", "b"});
  PutKey(kUser, Key("K\\Sub"), {"c", "d", "e", "f"});
  auto run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKeyContents(r, kUser, Key("K")); }, 6);
  EXPECT_EQ(run->log, (std::vector<std::string>{ValueLine(Key("K"), "a"), ValueLine(Key("K"), "b"),
                                                KeyLine(Key("K\\Sub"))}));
  ASSERT_TRUE(registry().KeyExists(kUser, Key("K")));
  EXPECT_TRUE(registry().Values(kUser, Key("K")).value.empty());
  EXPECT_TRUE(registry().SubKeyNames(kUser, Key("K")).value.empty());
}

TEST_F(RegistryRemoval, NamedValueGoesAloneAndAMissingOneCountsNothing) {
  PutKey(kUser, Key("K"), {"Name", "Other"});
  auto run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveValue(r, kUser, Key("K"), "name"); }, 1);
  EXPECT_EQ(run->log, std::vector<std::string>{ValueLine(Key("K"), "name")});
  EXPECT_FALSE(registry().ReadValue(kUser, Key("K"), "Name").ok());
  EXPECT_TRUE(registry().ReadValue(kUser, Key("K"), "Other").ok());

  run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveValue(r, kUser, Key("K"), "Nope"); }, 0);
  EXPECT_TRUE(run->log.empty());
  run = TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKeyContents(r, kUser, Key("Missing")); }, 0);
  EXPECT_TRUE(run->log.empty());
}

TEST_F(RegistryRemoval, RootByNameInAnyCaseButNoShortForms) {
  PutKey(kUser, Key("A"), {"x"});
  PutKey(kUser, Key("B"), {"y"});
  // The root as a definition file writes it: nothing for a short form.
  const auto by_name = [](std::string_view name, const std::function<Tally(RootKey)>& op) {
    const auto root = RootKeyFromName(name);
    return root ? op(*root) : Tally{};
  };
  auto run = TestThenClean(
      kUser,
      [&](RecordingRun& r) {
        return by_name("HKCU", [&](RootKey root) { return RemoveKey(r, root, Key("A")); });
      },
      0);
  EXPECT_TRUE(registry().KeyExists(kUser, Key("A")));
  EXPECT_TRUE(run->log.empty());

  // The log names the root in upper case, whatever case it was given in.
  run = TestThenClean(
      kUser,
      [&](RecordingRun& r) {
        return by_name("hkey_current_user",
                       [&](RootKey root) { return RemoveValue(r, root, Key("B"), "y"); });
      },
      1);
  EXPECT_EQ(run->log, std::vector<std::string>{ValueLine(Key("B"), "y")});

  run = TestThenClean(
      kUser,
      [&](RecordingRun& r) {
        return by_name("hkey_current_user",
                       [&](RootKey root) { return RemoveKey(r, root, Key("A")); });
      },
      1);
  EXPECT_EQ(run->log, std::vector<std::string>{KeyLine(Key("A"))});
  EXPECT_FALSE(registry().KeyExists(kUser, Key("A")));
}

TEST_F(RegistryRemoval, LeadingBackslashNamesTheSameKey) {
  PutKey(kUser, Key("A"), {"x", "y"});
  TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveValue(r, kUser, "\\" + Key("A"), "x"); }, 1);
  TestThenClean(
      kUser, [&](RecordingRun& r) { return RemoveKey(r, kUser, "\\" + Key("A")); }, 1);
  EXPECT_FALSE(registry().KeyExists(kUser, Key("A")));
}

TEST_F(RegistryRemoval, FastModeCountsTheSameWithoutLines) {
  PutKey(kUser, Key("K"), {"a", "b"});
  PutKey(kUser, Key("K\\Sub"), {"c"});
  auto run = MakeRun(RunMode::Clean);
  run->settings.FastScan = true;
  EXPECT_EQ(RemoveKeyContents(*run, kUser, Key("K")).items, 3);
  EXPECT_TRUE(run->log.empty());
  EXPECT_TRUE(run->scrolls.empty());
  EXPECT_FALSE(registry().KeyExists(kUser, Key("K\\Sub")));
}

// A path naming the root itself would take the user's whole hive; checked in Test mode so
// that a fault could not do that harm.
TEST_F(RegistryRemoval, ARootIsNeverRemovedNorEmptied) {
  auto run = MakeRun(RunMode::Test);
  EXPECT_EQ(RemoveKey(*run, kUser, ""), Tally{});
  EXPECT_EQ(RemoveKey(*run, kUser, "\\"), Tally{});
  EXPECT_EQ(RemoveKeyContents(*run, kUser, ""), Tally{});
  EXPECT_EQ(RemoveValue(*run, kUser, "\\\\", ""), Tally{});
  EXPECT_TRUE(run->log.empty());
}

TEST_F(RegistryRemoval, StopRequestEndsTheWalk) {
  PutKey(kUser, Key("K"), {"a", "b"});
  PutKey(kUser, Key("K\\Sub"), {"c"});
  auto run = MakeRun(RunMode::Clean);
  run->stop = true;
  EXPECT_EQ(RemoveKeyContents(*run, kUser, Key("K")), Tally{});
  EXPECT_EQ(Dump(kUser, Key("K")).size(), 5u);  // two keys and three values
}

// A removal Windows refuses is logged as in Test, but Clean does not count what stayed.
TEST_F(RegistryRemoval, RefusedRemovalIsLoggedButNotCounted) {
  PutKey(kMachine, Key("A"), {"x", "y"});
  PutKey(kMachine, Key("A\\Sub"));
  if (!machine().DenyLocalMachineChanges())
    GTEST_SKIP() << "this machine cannot refuse changes to HKEY_LOCAL_MACHINE here";
  auto run = TestThenClean(
      kMachine, [&](RecordingRun& r) { return RemoveKey(r, kMachine, Key("A")); }, 2, 0);
  EXPECT_EQ(run->log, std::vector<std::string>{KeyLine(Key("A"), "HKEY_LOCAL_MACHINE")});
  TestThenClean(
      kMachine, [&](RecordingRun& r) { return RemoveValue(r, kMachine, Key("A"), "x"); }, 1, 0);
  TestThenClean(
      kMachine, [&](RecordingRun& r) { return RemoveKeyContents(r, kMachine, Key("A")); }, 3, 0);
  TestThenClean(
      kMachine, [&](RecordingRun& r) { return RemoveKey(r, kMachine, Key("A\\Sub")); }, 1, 0);
  EXPECT_EQ(Dump(kMachine, Key("A")).size(), 4u);
}

}  // namespace
}  // namespace morvel::definitions_test
