// Every kind of action on both backends: a probing Test and the Clean after it agree (the
// same entries left, for the same reasons; the same count and bytes but for those), with
// files another program holds, files and keys that may not be changed, links and refusals
// among them.

#include <functional>
#include <iostream>
#include <set>

#include "engine/registry_removal.h"
#include "tests/removal/removal_fixture.h"
#include "tests/removal/spy_files.h"

namespace morvel::removal_test {
namespace {

class ActionTallyTest : public RemovalTest {
 public:
  // For the rows' arrangers.
  using RemovalTest::backend;
  using TwoBackendTest::Key;
  using TwoBackendTest::PutKey;
  using TwoBackendTest::WriteAt;

 protected:
  struct Ran {
    Tally test;
    Tally clean;
    std::vector<std::string> test_lines;  // without their "Test: " or "Clean: "
    std::vector<std::string> clean_lines;
    std::vector<std::string> asked;  // by both runs
  };

  // The action in Test mode (probing), then in Clean mode, through `spy` when given.
  Ran TestThenClean(const Action& action, SpyFiles* spy = nullptr, bool administrator = true) {
    system().administrator = administrator;
    Ran ran;
    for (const RunMode mode : {RunMode::Test, RunMode::Clean}) {
      auto run = MakeRun(mode);
      run->files_override = spy;
      const Tally tally = RunAction(*run, action);
      const std::size_t prefix = mode == RunMode::Test ? 6 : 7;
      std::vector<std::string> lines;
      for (const std::string& line : run->log) lines.push_back(line.substr(prefix));
      (mode == RunMode::Test ? ran.test : ran.clean) = tally;
      (mode == RunMode::Test ? ran.test_lines : ran.clean_lines) = lines;
      for (const auto& asked : run->questions.asked) ran.asked.push_back(asked.text);
    }
    EXPECT_EQ(ran.test.left, ran.clean.left);
    EXPECT_EQ(ran.test.items - ran.test.LeftItems(), ran.clean.items);
    EXPECT_EQ(ran.test.bytes - ran.test.LeftBytes(), ran.clean.bytes);
    EXPECT_EQ(ran.test_lines, ran.clean_lines);
    return ran;
  }
};

using Names = std::set<std::string>;

struct FolderRow {
  const char* name;
  // Lays the row's files out below `at` (a folder of its own), naming the files that may
  // not be deleted; a reason when this machine cannot.
  std::function<testing::SkipReason(ActionTallyTest&, const std::string& at, Names& denied)>
      arrange;
  // The action on `at`.
  std::function<Action(const std::string& at)> action;
  // What both leave, and what the Clean removes.
  std::function<std::vector<LeftEntry>(const std::string& at)> left;
  std::int32_t removed;
  std::uint64_t removed_bytes;
};

TEST_F(ActionTallyTest, FolderActionsAgreeOnWhatStaysAndWhy) {
  const auto everything = [](const std::string& at) { return Action(Sweep(at)); };
  const auto nothing_left = [](const std::string&) { return std::vector<LeftEntry>{}; };
  const std::vector<FolderRow> rows = {
      {"every file and emptied folder",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + "\\a.txt", "123");
         t.WriteAt(at + "\\sub\\deeper\\b.txt", "45");
         return testing::SkipReason{};
       },
       everything, nothing_left, 2, 5},
      {"a file another program holds",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + "\\free.txt", "1");
         t.WriteAt(at + "\\held\\busy.dat", "BUSY");
         return t.backend().LockFile(at + "\\held\\busy.dat");
       },
       everything,
       [](const std::string& at) {
         return std::vector<LeftEntry>{{at + "\\held\\busy.dat", LeftReason::InUse, 1, 4}};
       },
       1, 1},
      {"a file that may not be deleted",
       [](ActionTallyTest& t, const std::string& at, Names& denied) {
         t.WriteAt(at + "\\denied.txt", "12345");
         t.WriteAt(at + "\\other.txt", "12");
         denied = {"denied.txt"};
         return testing::SkipReason{};
       },
       everything,
       [](const std::string& at) {
         return std::vector<LeftEntry>{{at + "\\denied.txt", LeftReason::AccessDenied, 1, 5}};
       },
       1, 2},
      {"a read-only file, which the shell takes as it is",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + "\\ro.txt", "ro");
         if (auto why = t.backend().ShellKeepsReadOnlyFiles()) return why;
         return t.backend().SetAttributes(at + "\\ro.txt", platform::attr::ReadOnly);
       },
       everything, nothing_left, 1, 2},
      {"a link below the folder, passed over",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + " outside\\kept.txt", "kept");
         t.WriteAt(at + "\\in.txt", "1");
         return t.backend().MakeLink(at + "\\link", at + " outside", true);
       },
       everything, nothing_left, 1, 1},
      {"one mask, then another, in a held file's folder",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + "\\a.log", "1");
         t.WriteAt(at + "\\b.tmp", "22");
         t.WriteAt(at + "\\c.txt", "333");
         return t.backend().LockFile(at + "\\b.tmp");
       },
       [](const std::string& at) {
         return Action(FolderAction(InFolder(at), {{"*.log"}, {"*.tmp"}}, Depth::ThisFolder));
       },
       [](const std::string& at) {
         return std::vector<LeftEntry>{{at + "\\b.tmp", LeftReason::InUse, 1, 2}};
       },
       1, 1},
      {"a named sub-folder that is a link, skipped with a line",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + " elsewhere\\kept.txt", "kept");
         t.WriteAt(at + "\\real\\x.txt", "1");
         return t.backend().MakeLink(at + "\\cache", at + " elsewhere", true);
       },
       [](const std::string& at) {
         return Action(FolderAction(Then(InFolder(at), Named({"real", "cache"}))));
       },
       [](const std::string& at) {
         return std::vector<LeftEntry>{{at + "\\cache\\", LeftReason::Refused}};
       },
       1, 1},
      {"each listed sub-folder the pattern admits",
       [](ActionTallyTest& t, const std::string& at, Names&) {
         t.WriteAt(at + "\\p1.default\\Cache\\x", "1");
         t.WriteAt(at + "\\p2.default\\Cache\\y", "22");
         t.WriteAt(at + "\\work\\Cache\\z", "333");
         return testing::SkipReason{};
       },
       [](const std::string& at) {
         return Action(
             FolderAction(Then(Then(InFolder(at), EachFolder(".default")), Named({"Cache"}))));
       },
       nothing_left, 2, 3},
  };
  for (const FolderRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string at = Path(std::string("row ") + std::to_string(&row - rows.data()));
    Names denied;
    if (const auto why = row.arrange(*this, at, denied)) {
      std::cout << "[ row skipped ] " << row.name << ": " << *why << "\n";
      continue;
    }
    // In front of the machine as the arranger left it (locking a file may reopen it).
    SpyFiles spy(files());
    spy.denied = denied;
    const Ran ran = TestThenClean(row.action(at), &spy);
    EXPECT_EQ(ran.clean.left, row.left(at));
    EXPECT_EQ(ran.clean.items, row.removed);
    EXPECT_EQ(ran.clean.bytes, row.removed_bytes);
    backend().UnlockFiles();
  }
  // What the rows left: the held, the denied, the read-only one where it stays, and what
  // the links lead to.
  EXPECT_TRUE(Exists(Path("row 1\\held\\busy.dat")));
  EXPECT_TRUE(Exists(Path("row 2\\denied.txt")));
  EXPECT_TRUE(Exists(Path("row 4 outside\\kept.txt")));
  EXPECT_TRUE(Exists(Path("row 6 elsewhere\\kept.txt")));
  EXPECT_TRUE(Exists(Path("row 7\\work\\Cache\\z")));
}

struct RegistryRow {
  const char* name;
  std::function<void(ActionTallyTest&)> arrange;
  Action action;
  std::vector<LeftEntry> left;
  std::int32_t removed;
  bool administrator = true;
  std::vector<std::string> asked = {};  // by the Test and the Clean
};

TEST_F(ActionTallyTest, RegistryActionsAgreeOnWhatStaysAndWhy) {
  using platform::RootKey;
  const std::string machine_key = "HKEY_LOCAL_MACHINE\\" + Key();
  const auto key = [this](RootKey root, const std::string& sub) {
    return KeyAction(root, Key(sub));
  };
  const auto value = [this](RootKey root, const std::string& sub, const char* name) {
    DeleteValue step = ValueAction(root, Key(sub), name);
    step.needs_administrator = true;
    return step;
  };
  const auto emptied = [this](RootKey root, const std::string& sub) {
    return EmptyKey{root, Key(sub), FolderOrigin::Program, false};
  };
  // Rows that change; then, once HKEY_LOCAL_MACHINE refuses changes, rows that may not.
  const std::vector<RegistryRow> rows = {
      {"a key with its sub-keys' values",
       [](ActionTallyTest& t) {
         t.PutKey(kUser, t.Key("Tree"), {"a", "b", "c"});
         t.PutKey(kUser, t.Key("Tree\\Sub"), {"d", "e"});
       },
       key(kUser, "Tree"),
       {},
       5},
      {"a key without values",
       [](ActionTallyTest& t) { t.PutKey(kUser, t.Key("Bare")); },
       key(kUser, "Bare"),
       {},
       1},
      {"a missing key", [](ActionTallyTest&) {}, key(kUser, "Missing"), {}, 0},
      {"a value",
       [](ActionTallyTest& t) {
         t.PutKey(kUser, t.Key("Values"), {"x", "y"});
       },
       value(kUser, "Values", "x"),
       {},
       1},
      {"a key emptied",
       [](ActionTallyTest& t) {
         t.PutKey(kUser, t.Key("Emptied"), {"x"});
         t.PutKey(kUser, t.Key("Emptied\\Sub"), {"y", "z"});
       },
       emptied(kUser, "Emptied"),
       {},
       3},
      {"a machine value without an administrator",
       [](ActionTallyTest& t) { t.PutKey(kMachine, t.Key("Admin"), {"x"}); },
       value(kMachine, "Admin", "x"),
       {{machine_key + "\\Admin\\x", LeftReason::Refused}},
       0,
       false,
       // Told once per item, in Test as in Clean.
       {"You must have administrators user.", "You must have administrators user."}},
  };
  const std::vector<RegistryRow> refused = {
      {"a machine key that may not be removed",
       [](ActionTallyTest& t) {
         t.PutKey(kMachine, t.Key("Locked"), {"a", "b"});
         t.PutKey(kMachine, t.Key("Locked\\Sub"));
       },
       key(kMachine, "Locked"),
       {{machine_key + "\\Locked", LeftReason::AccessDenied, 2}},
       0},
      {"a machine value that may not be removed",
       [](ActionTallyTest& t) { t.PutKey(kMachine, t.Key("Value"), {"v"}); },
       value(kMachine, "Value", "v"),
       {{machine_key + "\\Value\\v", LeftReason::AccessDenied, 1}},
       0},
      {"a machine key that may not be emptied",
       [](ActionTallyTest& t) { t.PutKey(kMachine, t.Key("Full"), {"v"}); },
       emptied(kMachine, "Full"),
       {{machine_key + "\\Full\\v", LeftReason::AccessDenied, 1}},
       0},
  };
  for (const RegistryRow& row : rows) {
    SCOPED_TRACE(row.name);
    row.arrange(*this);
    const Ran ran = TestThenClean(row.action, nullptr, row.administrator);
    EXPECT_EQ(ran.clean.left, row.left);
    EXPECT_EQ(ran.clean.items, row.removed);
    EXPECT_EQ(ran.asked, row.asked);
  }
  for (const RegistryRow& row : refused) row.arrange(*this);
  if (!machine().DenyLocalMachineChanges())
    GTEST_SKIP() << "this machine cannot refuse changes to HKEY_LOCAL_MACHINE here";
  for (const RegistryRow& row : refused) {
    SCOPED_TRACE(row.name);
    const Ran ran = TestThenClean(row.action);
    EXPECT_EQ(ran.clean.left, row.left);
    EXPECT_EQ(ran.clean.items, row.removed);
  }
  // Everything under HKEY_LOCAL_MACHINE stayed: Admin's, Locked's, Value's and Full's.
  EXPECT_EQ(CountKeyValues(registry(), kMachine, Key()), 5);
}

}  // namespace
}  // namespace morvel::removal_test
