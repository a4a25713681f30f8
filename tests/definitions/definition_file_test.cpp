#include "engine/definition_file.h"
#include "engine/executor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/ini_file.h"
#include "engine/format_kb.h"
#include "tests/definitions/definitions_fixture.h"

namespace morvel::definitions_test {
namespace {

using platform::RootKey;
using testing::RecordingRun;

constexpr const char* kCustomKey = "Custom Lists - <New List>";

class DefinitionFile : public DefinitionsTest {
 protected:
  // Writes a definition file into the program folder (the scratch folder); `lines` are
  // joined with CRLF as the profile functions write them.
  void WriteDefinitions(const char* file, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    PutFile(Folder(file), text);
  }

  // A section run: the run (its log and questions) and the tally it returned.
  struct Ran {
    std::unique_ptr<RecordingRun> run;
    Tally tally;
    RecordingRun* operator->() const { return run.get(); }
  };

  Ran Run(RunMode mode, std::string_view file = "Clist.dat", std::string_view key = kCustomKey) {
    auto run = MakeRun(mode);
    Executor executor(*run);
    const Tally tally = RunDefinitionSection(executor, file, key);
    return {std::move(run), tally};
  }

  // Runs the section in Test mode and then in Clean mode: Test changes nothing (the stored
  // registry stays byte-identical, the files stay) and both count the same entries and
  // bytes. Returns the Clean run.
  Ran TestThenClean(std::int32_t expected_count, std::string_view file = "Clist.dat",
                    std::string_view key = kCustomKey) {
    const auto user_keys = Dump(kUser, Key());
    const auto machine_keys = Dump(kMachine, Key());
    const auto stored = machine().SavedRegistry();
    const auto files_before = ListFiles(Folder());
    auto test = Run(RunMode::Test, file, key);
    EXPECT_EQ(test.tally.items, expected_count) << "Test";
    EXPECT_EQ(Dump(kUser, Key()), user_keys);
    EXPECT_EQ(Dump(kMachine, Key()), machine_keys);
    EXPECT_EQ(machine().SavedRegistry(), stored);
    EXPECT_EQ(ListFiles(Folder()), files_before);

    auto clean = Run(RunMode::Clean, file, key);
    EXPECT_EQ(clean.tally.items, expected_count) << "Clean";
    EXPECT_EQ(clean.tally.bytes, test.tally.bytes);
    EXPECT_EQ(clean.tally.left, test.tally.left);
    EXPECT_EQ(test->log.size(), clean->log.size());
    return clean;
  }

  // Every file and folder below `folder`, as paths relative to it, sorted.
  std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> out;
    ListInto(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  void ListInto(const std::string& folder, const std::string& relative,
                std::vector<std::string>& out) {
    (void)files().Enumerate(folder, [&](const platform::FileEntry& e) {
      out.push_back(relative + e.name + (e.IsFolder() ? "\\" : ""));
      if (e.IsFolder()) ListInto(folder + "\\" + e.name, relative + e.name + "\\", out);
      return true;
    });
  }
};

TEST_F(DefinitionFile, RegistryEntriesOfTheItemsSection) {
  PutKey(kUser, Key("Tree"), {"a", "b", "c"});
  PutKey(kUser, Key("Tree\\Sub"), {"d", "e"});
  PutKey(kUser, Key("Values"), {"a", "b"});
  PutKey(kUser, Key("Values\\Sub"), {"c", "d", "e", "f"});
  PutKey(kUser, Key("One"), {"Name,with,commas", "Other"});
  PutKey(kUser, Key("Short"), {"a"});
  PutKey(kUser, Key("Ignored"), {"a"});
  WriteDefinitions(
      "Clist.dat",
      {"[Another List]", "DelRegValue1=HKEY_CURRENT_USER\\" + Key("Ignored"), "[<New List>]",
       "DelRegValue1=HKEY_CURRENT_USER\\" + Key("Tree"),
       "DelRegValue2=hkey_current_user\\" + Key("Values") + ",",
       "DelRegValue3=HKEY_CURRENT_USER\\" + Key("One") + ",Name,with,commas",
       "DelRegValue4=HKCU\\" + Key("Short"), "delregvalue5=HKEY_CURRENT_USER\\" + Key("Ignored"),
       "Note=HKEY_CURRENT_USER\\" + Key("Ignored"),
       "DelRegValue6=HKEY_CURRENT_USER\\" + Key("Missing"),
       "DelRegValue7=", "DelRegValue8=NoRoot"});
  auto run = TestThenClean(5 + 6 + 1);
  const std::string user = "Clean: deleting registry ";
  EXPECT_EQ(run->log, (std::vector<std::string>{
                          user + "key HKEY_CURRENT_USER\\" + Key("Tree"),
                          user + "value HKEY_CURRENT_USER\\" + Key("Values") + "\\a",
                          user + "value HKEY_CURRENT_USER\\" + Key("Values") + "\\b",
                          user + "key HKEY_CURRENT_USER\\" + Key("Values") + "\\Sub",
                          user + "value HKEY_CURRENT_USER\\" + Key("One") + "\\Name,with,commas",
                      }));
  EXPECT_EQ(run.tally.bytes, 0u);
  EXPECT_FALSE(registry().KeyExists(kUser, Key("Tree")));
  EXPECT_EQ(Dump(kUser, Key("Values")), std::vector<std::string>{"[" + Key("Values") + "]"});
  EXPECT_EQ(Dump(kUser, Key("One")),
            (std::vector<std::string>{"[" + Key("One") + "]", "Other=Other"}));
  EXPECT_TRUE(registry().KeyExists(kUser, Key("Short")));
  EXPECT_TRUE(registry().KeyExists(kUser, Key("Ignored")));
  EXPECT_TRUE(questions.asked.empty());
}

// Entries naming a root alone would take the user's whole hive, and so would a hive named
// below HKEY_USERS (HKEY_USERS\<SID> is the current user's root); checked in Test mode only
// so that a fault could not do that harm.
TEST_F(DefinitionFile, EntriesNamingARootAloneDoNothing) {
  std::string hive = "S-1-5-21-1111-2222-3333-1000";
  const auto hives = registry().SubKeyNames(platform::RootKey::Users, "");
  if (hives && !hives.value.empty())
    hive = hives.value.back();
  else
    PutKey(platform::RootKey::Users, hive + "\\Software", {"a"});
  WriteDefinitions(
      "Clist.dat",
      {"[<New List>]", "DelRegValue1=HKEY_CURRENT_USER", "DelRegValue2=HKEY_CURRENT_USER\\",
       "DelRegValue3=HKEY_CURRENT_USER\\,", "DelRegValue4=HKEY_CURRENT_USER,",
       "DelRegValue5=HKEY_USERS\\" + hive, "DelRegValue6=HKEY_USERS\\" + hive + "\\,",
       "DelRegValue7=HKEY_USERS\\\\" + hive + ","});
  auto run = Run(RunMode::Test);
  EXPECT_EQ(run.tally.items, 0);
  EXPECT_TRUE(run->log.empty());
}

// An entry cut by a zero byte, or holding another control character, names nothing a user
// typed (Windows would take the key or folder before the zero): it is skipped with a line,
// in Test as in Clean, with Fast Mode on too, and the key and folder keep everything.
TEST_F(DefinitionFile, EntriesThatAreNotTextAreSkippedWithALine) {
  using namespace std::string_literals;
  PutKey(kUser, Key("Leaf"), {"a"});
  PutKey(kUser, Key("Leaf\\Sub"), {"b"});
  PutFile(Folder("Keep\\kept.txt"), "kept");
  PutFile(Folder("Keep\\Old\\old.txt"), "old");
  const std::string key = "HKEY_CURRENT_USER\\" + Key("Leaf");
  WriteDefinitions(
      "Clist.dat",
      {"[<New List>]", "DelRegValue1=" + key + "\0\\Else"s, "DelRegValue2=" + key + "\0,"s,
       "DelFile1=" + Folder("Keep") + "\0\\Old"s, "DelFile2=" + Folder("Keep") + "\x01"});
  const std::string why = ": an entry holding a zero byte is never carried out";
  for (const RunMode mode : {RunMode::Test, RunMode::Clean}) {
    auto run = Run(mode);
    const std::string skipping = run->LogPrefix() + "skipping ";
    EXPECT_EQ(run.tally.items, 0);
    EXPECT_EQ(run.tally.left.size(), 4u);
    EXPECT_EQ(run->log,
              (std::vector<std::string>{
                  skipping + key + "<NUL>\\Else" + why,
                  skipping + key + "<NUL>," + why,
                  skipping + Folder("Keep") + "<NUL>\\Old" + why,
                  skipping + Folder("Keep") +
                      "<0x01>: an entry holding control character 0x01 is never carried out",
              }));
  }
  EXPECT_EQ(Dump(kUser, Key("Leaf")),
            (std::vector<std::string>{"[" + Key("Leaf") + "]", "a=a", "[" + Key("Leaf\\Sub") + "]",
                                      "b=b"}));
  EXPECT_TRUE(Exists(Folder("Keep\\kept.txt")));
  EXPECT_TRUE(Exists(Folder("Keep\\Old\\old.txt")));
}

TEST_F(DefinitionFile, SectionIsTheKeyAfterItsFirstDash) {
  PutKey(kUser, Key("Bar"), {"a"});
  PutKey(kUser, Key("FooBar"), {"a", "b"});
  WriteDefinitions("Morvel.dat",
                   {"[Bar]", "DelRegValue1=HKEY_CURRENT_USER\\" + Key("Bar"), "[foo - bar]",
                    "DelRegValue1=HKEY_CURRENT_USER\\" + Key("FooBar")});
  EXPECT_EQ(Run(RunMode::Test, "Morvel.dat", "Applications - Foo - Bar").tally.items, 2);
  EXPECT_EQ(Run(RunMode::Test, "Morvel.dat", "Windows - Bar").tally.items, 1);
  // A missing section or file leaves the item empty.
  EXPECT_EQ(Run(RunMode::Test, "Morvel.dat", "Windows - Baz").tally.items, 0);
  EXPECT_EQ(Run(RunMode::Test, "Clist.dat", kCustomKey).tally.items, 0);
}

// Definition files saved by Notepad: the first section reads in every encoding the
// profile functions read, text beyond ASCII included.
TEST_F(DefinitionFile, ReadsEveryEncodingOfTheProfileFunctions) {
  const std::string name = "Zo\xC3\xAB";
  for (IniEncoding encoding :
       {IniEncoding::Plain, IniEncoding::Utf8Bom, IniEncoding::Utf16Le, IniEncoding::Utf16Be}) {
    PutKey(kUser, Key("K"), {name, "other"});
    PutFile(Folder("Clist.dat"), EncodeIniText("[<New List>]\r\nDelRegValue1=HKEY_CURRENT_USER\\" +
                                                   Key("K") + "," + name + "\r\n",
                                               encoding));
    EXPECT_EQ(Run(RunMode::Clean).tally.items, 1) << static_cast<int>(encoding);
    EXPECT_EQ(Dump(kUser, Key("K")),
              (std::vector<std::string>{"[" + Key("K") + "]", "other=other"}));
  }
}

struct AdministratorCase {
  const char* name;
  platform::WindowsFamily family;
  bool administrator;
  RunMode mode;
  bool values_removed;
  bool told;
};

void PrintTo(const AdministratorCase& c, std::ostream* os) { *os << c.name; }

class AdministratorRule : public DefinitionFile,
                          public ::testing::WithParamInterface<AdministratorCase> {};

TEST_P(AdministratorRule, GuardsValueEntriesUnderTheLocalMachineOnly) {
  const AdministratorCase& c = GetParam();
  system().family = c.family;
  system().administrator = c.administrator;
  PutKey(kMachine, Key("Values"), {"a", "b", "c"});
  PutKey(kMachine, Key("Tree"), {"x"});
  PutKey(kUser, Key("User"), {"u"});
  WriteDefinitions("Clist.dat",
                   {"[<New List>]", "DelRegValue1=HKEY_LOCAL_MACHINE\\" + Key("Values") + ",a",
                    "DelRegValue2=HKEY_LOCAL_MACHINE\\" + Key("Values") + ",b",
                    "DelRegValue3=hkey_local_machine\\" + Key("Values") + ",",
                    "DelRegValue4=HKEY_LOCAL_MACHINE\\" + Key("Tree"),
                    "DelRegValue5=HKEY_CURRENT_USER\\" + Key("User") + ",u"});
  auto run = Run(c.mode);
  // a, b, then c alone is left for the emptying entry: 1 + 1 + 1; the key entry 1; the
  // user's value 1.
  EXPECT_EQ(run.tally.items, c.values_removed ? 5 : 2);
  const bool removes = c.mode != RunMode::Test;
  EXPECT_EQ(registry().KeyExists(kMachine, Key("Tree")), !removes);
  EXPECT_EQ(registry().ReadValue(kUser, Key("User"), "u").ok(), !removes);
  EXPECT_EQ(registry().Values(kMachine, Key("Values")).value.size(),
            c.values_removed && removes ? 0u : 3u);
  if (c.told) {
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0].text, "You must have administrators user.");
    EXPECT_EQ(questions.asked[0].caption, "");
    EXPECT_EQ(questions.asked[0].buttons, platform::Buttons::Ok);
  } else {
    EXPECT_TRUE(questions.asked.empty());
  }
}

constexpr auto kNt = platform::WindowsFamily::Nt;
constexpr auto k9x = platform::WindowsFamily::Win9x;
INSTANTIATE_TEST_SUITE_P(
    Cases, AdministratorRule,
    ::testing::Values(AdministratorCase{"NtUserClean", kNt, false, RunMode::Clean, false, true},
                      AdministratorCase{"NtUserTest", kNt, false, RunMode::Test, false, true},
                      AdministratorCase{"NtUserUnattended", kNt, false, RunMode::Unattended, false,
                                        false},
                      AdministratorCase{"NtAdministrator", kNt, true, RunMode::Clean, true, false},
                      AdministratorCase{"Win9xUser", k9x, false, RunMode::Clean, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefinitionFile, FileEntriesRemoveFoldersAndMatchingFiles) {
  PutFile(Folder("Data\\Temp\\a.txt"), std::string(10, 'a'));
  PutFile(Folder("Data\\Temp\\Sub\\b.txt"), std::string(2000, 'b'));
  PutFile(Folder("Data\\Keep\\k.txt"), "k");
  PutFile(Folder("Data\\Logs\\a.log"), std::string(100, 'l'));
  PutFile(Folder("Data\\Logs\\B.LOG"), std::string(24, 'l'));
  PutFile(Folder("Data\\Logs\\c.txt"), "c");
  PutFile(Folder("Data\\Logs\\Sub\\d.log"), "d");
  PutFile(Folder("Data\\Other\\o.txt"), "o");
  WriteDefinitions(
      "Clist.dat",
      {"[<New List>]", "DelFile1=" + Folder("Data\\Temp"), "DelFile2=" + Folder("Data\\Keep") + ",",
       "DelFile3=" + Folder("Data\\Logs") + ",*.log", "delfile4=" + Folder("Data\\Other"),
       "DelFile5=" + Folder("Data\\Missing"), "DelFile6=", "DelFile7"});
  auto run = TestThenClean(4);
  EXPECT_EQ(run.tally.bytes, 10u + 2000 + 100 + 24);
  EXPECT_EQ(FormatKB(run.tally.bytes), "3");
  std::vector<std::string> log = run->log;
  std::sort(log.begin(), log.end());
  const std::string line = "Clean: deleting " + Folder("Data\\");
  EXPECT_EQ(log, (std::vector<std::string>{line + "Logs\\B.LOG", line + "Logs\\a.log",
                                           line + "Temp\\Sub\\b.txt", line + "Temp\\a.txt"}));
  EXPECT_EQ(
      ListFiles(Folder("Data")),
      (std::vector<std::string>{"Keep\\", "Keep\\k.txt", "Logs\\", "Logs\\Sub\\",
                                "Logs\\Sub\\d.log", "Logs\\c.txt", "Other\\", "Other\\o.txt"}));
  EXPECT_TRUE(questions.asked.empty());
}

TEST_F(DefinitionFile, MacrosMatchWithTheirCaseOnly) {
  const std::string windows = system().WindowsFolder();
  ASSERT_FALSE(windows.empty());
  const auto app_data = platform::ReadText(
      registry(), kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      "AppData");
  const auto program_files = platform::ReadText(
      registry(), kMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  if (!app_data || !program_files) GTEST_SKIP() << "the registry lacks AppData or ProgramFilesDir";
  const std::string name =
      "MorvelTest-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
  const std::string in_windows = windows + "\\Temp\\" + name;
  PutFile(in_windows + "\\a.tmp", "12345");
  const std::string in_app_data = *app_data + "\\" + name;
  PutFile(in_app_data + "\\Sub\\settings.dat", "abc");
  const std::string in_program_files = *program_files + "\\" + name;
  PutFile(in_program_files + "\\app.ini", "[x]");
  WriteDefinitions(
      "Morvel.dat",
      {"[Macros]", "DelFile1=%windir%\\Temp\\" + name + ",*.tmp",
       "DelFile2=%WINDIR%\\Temp\\" + name + ",*.tmp", "DelFile3={current appdata}\\" + name,
       "DelFile4={Current AppData}\\" + name, "DelFile5=%ProgramFiles%\\" + name + ",*.ini",
       "DelFile6=%programfiles%\\" + name + ",*.ini"});
  auto run = TestThenClean(3, "Morvel.dat", "Applications - Macros");
  EXPECT_FALSE(Exists(in_windows + "\\a.tmp"));
  EXPECT_TRUE(Exists(in_windows));  // a mask entry removes no folder
  EXPECT_FALSE(Exists(in_app_data));
  EXPECT_FALSE(Exists(in_program_files + "\\app.ini"));
  (void)files().RemoveFolder(in_windows);
  (void)files().RemoveFolder(in_program_files);
}

// Walks the whole of drive C: in Test mode, and would empty it in Clean mode if the
// question were not asked: only on a throwaway machine.
TEST_F(DefinitionFile, DriveMacroNamesTheRootOfC) {
  if (!machine().IsEmulated()) GTEST_SKIP() << "walks and risks the whole of drive C:";
  PutFile(Folder("Data\\x.bin"), std::string(3000, 'x'));
  WriteDefinitions("Clist.dat", {"[<New List>]", "DelFile1={C: Drive}"});
  std::int32_t files_on_c = 0;
  std::function<void(const std::string&)> count = [&](const std::string& folder) {
    (void)files().Enumerate(folder, [&](const platform::FileEntry& e) {
      if (e.IsFolder())
        count(folder + e.name + "\\");
      else
        ++files_on_c;
      return true;
    });
  };
  count("C:\\");
  auto test = Run(RunMode::Test);
  EXPECT_EQ(test.tally.items, files_on_c);
  EXPECT_TRUE(questions.asked.empty());

  auto clean = Run(RunMode::Clean);  // answered No
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, "Do you want to delete all files and folders under C:\\?");
  EXPECT_EQ(clean.tally.items, 0);
  EXPECT_TRUE(Exists(Folder("Data\\x.bin")));
}

TEST_F(DefinitionFile, StopRequestEndsTheSection) {
  PutKey(kUser, Key("A"), {"a"});
  PutFile(Folder("Data\\a.txt"), "a");
  WriteDefinitions("Clist.dat", {"[<New List>]", "DelRegValue1=HKEY_CURRENT_USER\\" + Key("A"),
                                 "DelFile1=" + Folder("Data")});
  auto run = MakeRun(RunMode::Clean);
  run->stop = true;
  Executor executor(*run);
  EXPECT_EQ(RunDefinitionSection(executor, "Clist.dat", kCustomKey), Tally{});
  EXPECT_TRUE(registry().KeyExists(kUser, Key("A")));
  EXPECT_TRUE(Exists(Folder("Data\\a.txt")));
}

}  // namespace
}  // namespace morvel::definitions_test
