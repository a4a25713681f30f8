// The format's forms as a Test and a Clean carry them out, on both backends: every kind of
// line and flag, wildcard folders, each kind of exclusion, keys and values, each variable.
// A Test (probing) and the Clean after it agree, and the Clean leaves exactly what the entry
// does not name.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/community/community_cleaner.h"
#include "engine/community/reader.h"
#include "tests/community/community_fixture.h"

namespace morvel::community_test {
namespace {

// `text` with every `from` replaced by `to`.
std::string Replaced(std::string text, std::string_view from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

class CommunityRun : public CommunityTest {
 protected:
  struct Ran {
    Tally test;
    Tally clean;
    std::vector<std::string> test_log;
  };

  // The entry of `lines` as its item runs: a probing Test, then a Clean.
  Ran TestThenClean(const std::vector<std::string>& lines) {
    std::string text = "[Entry *]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    const community::Definitions read = community::ReadDefinitions(text);
    EXPECT_EQ(read.entries.size(), 1u);
    if (read.entries.empty()) return {};
    const auto entry = std::make_shared<const community::Entry>(read.entries.front());
    Ran ran;
    for (const RunMode mode : {RunMode::Test, RunMode::Clean}) {
      auto run = MakeRun(mode);
      Executor executor(*run);
      const Tally tally = community::CleanerOf(entry)(executor);
      if (mode == RunMode::Test) {
        ran.test = tally;
        ran.test_log = run->log;
      } else {
        ran.clean = tally;
      }
      EXPECT_TRUE(run->questions.asked.empty());
    }
    EXPECT_EQ(ran.test.left, ran.clean.left);
    EXPECT_EQ(ran.test.items - ran.test.LeftItems(), ran.clean.items);
    EXPECT_EQ(ran.test.bytes - ran.test.LeftBytes(), ran.clean.bytes);
    return ran;
  }

  // Every file and folder below `folder` ("sub\" for a folder, "sub\name" for a file), in
  // order; "<gone>" when the folder itself is not there.
  std::vector<std::string> TreeAt(const std::string& folder) {
    if (!files().Exists(folder)) return {"<gone>"};
    std::vector<std::string> out;
    WalkTree(folder, [&out](const std::string& name, const platform::FileEntry& e) {
      out.push_back(e.IsFolder() ? name + "\\" : name);
    });
    std::sort(out.begin(), out.end());
    return out;
  }

  // Every key and value below the scratch key ("Sub\" for a key, "Sub\:value" for a value).
  std::vector<std::string> KeysAt(const std::string& key, const std::string& relative = {}) {
    std::vector<std::string> out;
    if (const auto values = registry().Values(kUser, key))
      for (const auto& value : values.value) out.push_back(relative + ":" + value.name);
    if (const auto subs = registry().SubKeyNames(kUser, key))
      for (const std::string& name : subs.value) {
        out.push_back(relative + name + "\\");
        for (std::string& below : KeysAt(key + "\\" + name, relative + name + "\\"))
          out.push_back(std::move(below));
      }
    std::sort(out.begin(), out.end());
    return out;
  }
};

struct FormRow {
  const char* what;
  // "$" stands for the test's own folder below %LocalAppData% as a line names it, "@" for
  // the user's name.
  std::vector<std::string> lines;
  std::vector<std::string> files;  // made below the own folder, each holding its own name
  std::vector<std::string> after;  // what stays below it after the Clean (TreeAt)
};

TEST_F(CommunityRun, EveryFileFormRemovesWhatItNamesAndNothingElse) {
  const std::vector<std::string> layout = {"a.log",      "b.txt",      "Cache1.db",
                                           "cache12.db", "sub\\c.log", "sub\\deep\\d.ini"};
  const std::vector<FormRow> rows = {
      {"the folder's own files by masks, \";\", \"?\" and letter case aside",
       {"FileKey1=$|*.LOG;cache?.db"},
       layout,
       {"b.txt", "cache12.db", "sub\\", "sub\\c.log", "sub\\deep\\", "sub\\deep\\d.ini"}},
      {"\"*\" without a flag: every file of the folder itself",
       {"FileKey1=$|*"},
       layout,
       {"sub\\", "sub\\c.log", "sub\\deep\\", "sub\\deep\\d.ini"}},
      {"RECURSE: the masks in every sub-folder, no folder removed",
       {"FileKey1=$|*.log;*.ini|RECURSE"},
       layout,
       {"Cache1.db", "b.txt", "cache12.db", "sub\\", "sub\\deep\\"}},
      {"REMOVESELF: everything, then the folder itself",
       {"FileKey1=$|*.*|REMOVESELF"},
       layout,
       {"<gone>"}},
      {"REMOVESELF by masks: the emptied sub-folders go, the folder stays while it holds files",
       {"FileKey1=$|*.log;*.ini|REMOVESELF"},
       layout,
       {"Cache1.db", "b.txt", "cache12.db"}},
      {"wildcard folders: every one that matches, \"*\" and \"?\"",
       {"FileKey1=$\\Profile*\\Cache|*", "FileKey2=$\\P?\\Code Cache|*|RECURSE"},
       {"Profile 1\\Cache\\x", "Profile 2\\Cache\\y", "Other\\Cache\\z", "P1\\Code Cache\\js\\a",
        "P12\\Code Cache\\b"},
       {"Other\\", "Other\\Cache\\", "Other\\Cache\\z", "P1\\", "P1\\Code Cache\\",
        "P1\\Code Cache\\js\\", "P12\\", "P12\\Code Cache\\", "P12\\Code Cache\\b", "Profile 1\\",
        "Profile 1\\Cache\\", "Profile 2\\", "Profile 2\\Cache\\"}},
      {"the user's name in a folder",
       {"FileKey1=$\\history\\%UserName%|*.dat"},
       {"history\\@\\index.dat", "history\\Someone\\index.dat"},
       {"history\\", "history\\@\\", "history\\Someone\\", "history\\Someone\\index.dat"}},
      {"FILE: those names of that folder alone",
       {"FileKey1=$|*|RECURSE", "ExcludeKey1=FILE|$\\|a.log;b.txt"},
       layout,
       {"a.log", "b.txt", "sub\\", "sub\\deep\\"}},
      {"PATH: everything in and below the folder",
       {"FileKey1=$|*|REMOVESELF", "ExcludeKey1=PATH|$\\sub\\"},
       layout,
       {"sub\\", "sub\\c.log", "sub\\deep\\", "sub\\deep\\d.ini"}},
      {"PATH with masks: the matching files in and below it, in a wildcard folder",
       {"FileKey1=$|*|RECURSE", "ExcludeKey1=PATH|$\\s*\\|*.INI;c.l?g"},
       layout,
       {"sub\\", "sub\\c.log", "sub\\deep\\", "sub\\deep\\d.ini"}},
      {"PATH with masks over the whole folder",
       {"FileKey1=$|*.*|RECURSE", "ExcludeKey1=PATH|$|cache*"},
       layout,
       {"Cache1.db", "cache12.db", "sub\\", "sub\\deep\\"}},
      {"lines that cannot be used are skipped, the rest carried out",
       {"FileKey1=$|*.txt", "FileKey2=%Nowhere%\\x|*", "FileKey3=$\\..|*", "FileKey4=$|*|DEEP"},
       layout,
       {"Cache1.db", "a.log", "cache12.db", "sub\\", "sub\\c.log", "sub\\deep\\",
        "sub\\deep\\d.ini"}},
  };
  const std::string user = Values().UserName();
  ASSERT_FALSE(user.empty());
  for (const FormRow& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string own = OwnFolders(Variable::LocalAppData).front();
    std::uint64_t bytes = 0;
    std::int32_t removed = 0;
    for (const std::string& file : row.files) {
      const std::string name = Replaced(file, "@", user);
      WriteAt(own + "\\" + name, name);
      const bool stays = std::find(row.after.begin(), row.after.end(), file) != row.after.end();
      if (!stays) bytes += name.size(), ++removed;
    }
    std::vector<std::string> lines;
    for (const std::string& line : row.lines)
      lines.push_back(Replaced(line, "$", OwnIn(Variable::LocalAppData)));
    const Ran ran = TestThenClean(lines);
    std::vector<std::string> after;
    for (const std::string& entry : row.after) after.push_back(Replaced(entry, "@", user));
    std::sort(after.begin(), after.end());
    EXPECT_EQ(TreeAt(own), after);
    EXPECT_EQ(ran.clean.items, removed);
    EXPECT_EQ(ran.clean.bytes, bytes);
    EXPECT_TRUE(ran.clean.left.empty());
    (void)files().ShellDelete(own);
  }
}

// A line that cannot be used is named in the Test's log with its reason, and so is the
// entry's warning; the Clean writes neither.
TEST_F(CommunityRun, ATestTellsTheWarningAndTheLinesLeftOut) {
  const Ran ran =
      TestThenClean({"Warning=This also removes your saved logins.", "FileKey1=%Nowhere%\\x|*"});
  ASSERT_EQ(ran.test_log.size(), 2u);
  EXPECT_EQ(ran.test_log[0], "Test: Warning: This also removes your saved logins.");
  EXPECT_EQ(ran.test_log[1],
            "Test: skipping Winapp2.ini line 3 \"FileKey1=%Nowhere%\\x|*\": unknown variable "
            "%Nowhere%");
}

TEST_F(CommunityRun, KeysAndValuesGoAsNamedWithWhatIsKept) {
  std::vector<std::string> before = {"App\\",
                                     "App\\:a1",
                                     "App\\:a2",
                                     "App\\Bags\\",
                                     "App\\Bags\\:b",
                                     "App\\Bags\\1\\",
                                     "App\\Bags\\1\\:one",
                                     "App\\Bags\\2\\",
                                     "App\\Bags\\2\\:two",
                                     "Other\\",
                                     "Other\\:o"};
  std::sort(before.begin(), before.end());
  std::vector<std::string> without_b = before;
  std::erase(without_b, "App\\Bags\\:b");
  struct KeyRow {
    const char* what;
    std::vector<std::string> lines;  // "#" stands for "HKCU\<scratch key>"
    std::vector<std::string> after;
  };
  const std::vector<KeyRow> rows = {
      {"a key with everything under it", {"RegKey1=#\\App"}, {"Other\\", "Other\\:o"}},
      {"one value", {"RegKey1=#\\App\\Bags|b"}, without_b},
      {"REG: a kept key and a kept value inside a removed key",
       {"RegKey1=#\\App", "ExcludeKey1=REG|#\\App\\Bags\\1", "ExcludeKey2=REG|#\\app|a2"},
       {"App\\", "App\\:a2", "App\\Bags\\", "App\\Bags\\1\\", "App\\Bags\\1\\:one", "Other\\",
        "Other\\:o"}},
      {"REG covering the RegKey whole: nothing goes",
       {"RegKey1=#\\App\\Bags", "RegKey2=#\\App|a1", "ExcludeKey1=REG|#\\App"},
       before},
  };
  for (const KeyRow& row : rows) {
    SCOPED_TRACE(row.what);
    PutKey(kUser, Key("App"), {"a1", "a2"});
    PutKey(kUser, Key("App\\Bags"), {"b"});
    PutKey(kUser, Key("App\\Bags\\1"), {"one"});
    PutKey(kUser, Key("App\\Bags\\2"), {"two"});
    PutKey(kUser, Key("Other"), {"o"});
    ASSERT_EQ(KeysAt(Key()), before);
    std::vector<std::string> lines;
    for (const std::string& line : row.lines)
      lines.push_back(Replaced(line, "#", "HKCU\\" + Key()));
    const Ran ran = TestThenClean(lines);
    std::vector<std::string> after = row.after;
    std::sort(after.begin(), after.end());
    EXPECT_EQ(KeysAt(Key()), after);
    // One item per value removed, and a key without values counts as one.
    const auto values = [](const std::vector<std::string>& keys) {
      return std::count_if(keys.begin(), keys.end(),
                           [](const std::string& k) { return k.find(':') != std::string::npos; });
    };
    EXPECT_EQ(ran.clean.items, values(before) - values(after));
    (void)registry().DeleteTree(kUser, Key("App"));
    (void)registry().DeleteTree(kUser, Key("Other"));
  }
}

// Every variable stands for folders a FileKey cleans inside, on either machine.
TEST_F(CommunityRun, EachVariableLeadsToItsFolders) {
  for (std::size_t i = 0; i < community::kVariableCount; ++i) {
    const auto variable = static_cast<Variable>(i);
    if (variable == Variable::UserName) continue;
    SCOPED_TRACE(std::string(community::VariableName(variable)));
    const std::vector<std::string> own = OwnFolders(variable);
    for (const std::string& folder : own) {
      WriteAt(folder + "\\trace.tmp", "trace");
      WriteAt(folder + "\\keep.txt", "keep");
    }
    const Ran ran = TestThenClean({"FileKey1=" + OwnIn(variable) + "|*.tmp|REMOVESELF"});
    EXPECT_EQ(ran.clean.items, static_cast<std::int32_t>(own.size()));
    for (const std::string& folder : own) {
      EXPECT_EQ(TreeAt(folder), std::vector<std::string>{"keep.txt"});
      (void)files().ShellDelete(folder);  // %WinDir% and %SystemRoot% make it again
    }
  }
}

// The file comes from the internet: an entry that would empty or sweep a drive, the
// profile, a user's folder, an application-data root, the system's or the programs' shared
// folders is refused with the guard's line and never asked about; nothing changes anywhere.
// Emulated only: a fault here would empty the Wine prefix's own folders.
TEST_F(CommunityRun, EntriesThatWouldSweepTheMachinesFoldersAreRefused) {
  if (!machine().IsEmulated()) GTEST_SKIP() << "would risk the prefix's own folders";
  const std::vector<std::string> lines = {
      "FileKey1=%SystemDrive%|*|RECURSE",     "FileKey1=%UserProfile%|*|RECURSE",
      "FileKey1=%AppData%|*.*|REMOVESELF",    "FileKey1=%LocalAppData%|*.log",
      "FileKey1=%Documents%|*|RECURSE",       "FileKey1=%Pictures%|*.jpg",
      "FileKey1=%WinDir%|*|RECURSE",          "FileKey1=%WinDir%\\System32|*|RECURSE",
      "FileKey1=%ProgramFiles%|*|RECURSE",    "FileKey1=%CommonProgramFiles%|*",
      "FileKey1=%ProgramData%|*|RECURSE",     "FileKey1=%Public%|*|REMOVESELF",
      "FileKey1=%LocalLowAppData%|*|RECURSE", "FileKey1=%UserProfile%\\AppData|*.*|RECURSE",
  };
  const community::VariableValues values = Values();
  for (std::size_t i = 0; i < community::kVariableCount; ++i)
    for (const std::string& folder : values.Folders(static_cast<Variable>(i)))
      WriteAt(folder + "\\marker.tmp", "mine");
  const std::vector<std::string> whole = TreeAt("C:\\");
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    const Ran ran = TestThenClean({line});
    EXPECT_EQ(TreeAt("C:\\"), whole);
    EXPECT_EQ(ran.clean.items, 0);
    ASSERT_FALSE(ran.clean.left.empty());
    EXPECT_EQ(ran.clean.left.front().reason, LeftReason::Refused);
    ASSERT_FALSE(ran.test_log.empty());
    EXPECT_TRUE(ran.test_log.front().starts_with("Test: skipping ")) << ran.test_log.front();
  }
}

// A link inside a program's folder, or in a named folder's place, is never followed: what
// it leads to stays whole, the program's own files go.
TEST_F(CommunityRun, LinksBelowTheVariablesFolderAreNotFollowed) {
  const std::string own = OwnFolders(Variable::LocalAppData).front();
  const std::string outside = OwnFolders(Variable::Documents).front();
  WriteAt(outside + "\\letter.doc", "dear");
  WriteAt(own + "\\Cache\\a.tmp", "a");
  SKIP_IF(machine().MakeLink(own + "\\Cache\\Link", outside, true));
  SKIP_IF(machine().MakeLink(own + "\\Profile", outside, true));
  const std::string there = OwnIn(Variable::LocalAppData);
  const Ran ran = TestThenClean({"FileKey1=" + there + "|*|REMOVESELF",
                                 "FileKey2=" + there + "\\Profile|*|RECURSE",
                                 "FileKey3=" + there + "\\P*|*.doc"});
  EXPECT_EQ(TreeAt(outside), std::vector<std::string>{"letter.doc"});
  EXPECT_FALSE(Exists(own + "\\Cache\\a.tmp"));
  EXPECT_EQ(ran.clean.items, 1);
}

}  // namespace
}  // namespace morvel::community_test
