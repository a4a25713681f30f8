// The custom list and Clist.dat on both machines: the section written anew in list order
// in the file's own encoding with the rest of the file as it was, a file that cannot be
// read or written, a damaged one; the file and folder dialog's folder; and the question
// before the list removes or empties a key right below a root.
#include <gtest/gtest.h>

#include "app/custom_list_editor.h"
#include "common/ini_file.h"
#include "engine/definition_file.h"
#include "engine/executor.h"
#include "tests/definitions/definitions_fixture.h"

namespace morvel::definitions_test {
namespace {

using app::CustomListEditor;

class CustomListFile : public DefinitionsTest {
 protected:
  std::string ListPath() { return Folder("Clist.dat"); }
  // The current user's hive under HKEY_USERS: the one where `top`, a key right below
  // HKEY_CURRENT_USER, is found too. An image keeps HKEY_USERS apart: there the key is made
  // under a hive of its own. A key left by a run that stopped halfway goes first.
  std::string UsersHiveOf(const std::string& top) {
    (void)registry().DeleteTree(kUser, top);
    PutKey(kUser, top);
    std::string hive = "S-1-5-21-1111-2222-3333-1000";
    if (const auto hives = registry().SubKeyNames(platform::RootKey::Users, ""))
      for (const std::string& name : hives.value)
        if (registry().KeyExists(platform::RootKey::Users, name + "\\" + top)) hive = name;
    (void)registry().DeleteTree(kUser, top);
    return hive;
  }
  CustomListEditor Editor() { return CustomListEditor(files(), Folder() + "\\"); }
  std::string Read() { return files().ReadFile(ListPath()).value; }
};

struct EncodingCase {
  const char* name;
  IniEncoding encoding;
};

class Encodings : public CustomListFile, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(Encodings, SectionWrittenInListOrderRestAsItWas) {
  const std::string before =
      "; my lists\r\n[Other List]\r\nDelFile1=C:\\Keep\r\n\r\n[<New List>]\r\n"
      "DelFile1=C:\\Old\r\n[Tail]\r\nx=1\r\n[<new list>]\r\nDelFile1=C:\\Older\r\n";
  PutFile(ListPath(), EncodeIniText(before, GetParam().encoding));
  CustomListEditor list = Editor();
  const CustomListEditor::Opening opening = list.Load();
  ASSERT_TRUE(opening.editable);
  EXPECT_EQ(opening.message, std::nullopt);
  EXPECT_EQ(list.rows(), std::vector<std::string>{"C:\\Old"});
  list.Select(0);
  list.RemoveSelected();
  for (const char* row : {"HKEY_CURRENT_USER\\Software\\A", "C:\\Temp,*.tmp", "hkey_users\\B,Value",
                          "C:\\Data, with blank"})
    list.Append(row);
  ASSERT_EQ(list.Save(), std::nullopt);

  const IniText written = DecodeIniText(Read());
  EXPECT_EQ(written.encoding, GetParam().encoding);
  // Every copy of the old section went; the new one comes last.
  EXPECT_EQ(written.text,
            "; my lists\r\n[Other List]\r\nDelFile1=C:\\Keep\r\n\r\n[Tail]\r\nx=1\r\n"
            "[<New List>]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\A\r\n"
            "DelFile1=C:\\Temp,*.tmp\r\nDelRegValue2=hkey_users\\B,Value\r\n"
            "DelFile2=C:\\Data, with blank\r\n");
  CustomListEditor again = Editor();
  again.Load();
  EXPECT_EQ(again.rows(), list.rows());
}

INSTANTIATE_TEST_SUITE_P(CustomList, Encodings,
                         ::testing::Values(EncodingCase{"Plain", IniEncoding::Plain},
                                           EncodingCase{"Utf8Mark", IniEncoding::Utf8Bom},
                                           EncodingCase{"Utf16", IniEncoding::Utf16Le},
                                           EncodingCase{"Utf16BigEndian", IniEncoding::Utf16Be}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CustomListFile, MissingFileIsAnEmptyListThatOkCreates) {
  CustomListEditor list = Editor();
  EXPECT_TRUE(list.Load().editable);
  EXPECT_TRUE(list.rows().empty());
  list.Append("C:\\Temp");
  ASSERT_EQ(list.Save(), std::nullopt);
  EXPECT_EQ(Read(), "[<New List>]\r\nDelFile1=C:\\Temp\r\n");
}

TEST_F(CustomListFile, ReadOnlyFileStaysAsItWasAndSaysSo) {
  const std::string before = "[<New List>]\r\nDelFile1=C:\\Old\r\n";
  PutFile(ListPath(), before);
  SKIP_IF(machine().SetAttributes(ListPath(), platform::attr::ReadOnly));
  CustomListEditor list = Editor();
  ASSERT_TRUE(list.Load().editable);
  list.Append("C:\\New");
  const auto refused = list.Save();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused,
            "Clist.dat could not be saved (access denied; the file may be read-only). The list "
            "was not saved.");
  EXPECT_EQ(Read(), before);
  // No temporary file is left beside it.
  std::vector<std::string> names;
  (void)files().Enumerate(Folder(), [&](const platform::FileEntry& e) {
    names.push_back(e.name);
    return true;
  });
  EXPECT_EQ(names, std::vector<std::string>{"Clist.dat"});
}

TEST_F(CustomListFile, FileInUseCannotBeEditedNow) {
  PutFile(ListPath(), "[<New List>]\r\nDelFile1=C:\\Old\r\n");
  SKIP_IF(machine().LockFile(ListPath()));
  CustomListEditor list = Editor();
  const CustomListEditor::Opening opening = list.Load();
  EXPECT_FALSE(opening.editable);
  EXPECT_EQ(opening.message,
            "The custom list cannot be edited now: Clist.dat cannot be read (it "
            "is in use by another program).");
}

// A damaged entry (cut by a zero byte, or holding another control character) is shown as a
// damaged row, never hidden: the run skips it, and OK keeps it as it was unless removed.
TEST_F(CustomListFile, DamagedFileShowsEveryEntryAndMarksTheDamagedOnes) {
  using namespace std::string_literals;
  const std::string damaged = "[Other]\r\nx=a\0b\r\n"s;
  const std::string keep_cut = "DelFile2=C:\\RT4\\Keep\0\\Old\r\n"s;
  const std::string key_cut = "DelRegValue1=HKEY_CURRENT_USER\\Software\\RT4Leaf\x01\r\n";
  PutFile(ListPath(), damaged + "[<New List>]\r\nDelFile1=C:\\A\r\n" + keep_cut + key_cut +
                          "DelFile3=\r\nDelFile4=C:\\B\r\n");
  CustomListEditor list = Editor();
  const CustomListEditor::Opening opening = list.Load();
  ASSERT_TRUE(opening.editable);
  ASSERT_TRUE(opening.message.has_value());
  EXPECT_EQ(opening.message->substr(0, 44), "Clist.dat is damaged (a zero byte on line 2)");
  EXPECT_EQ(list.rows(),
            (std::vector<std::string>{
                "C:\\A", "C:\\RT4\\Keep<NUL>\\Old  (damaged: a zero byte; never cleaned)",
                "HKEY_CURRENT_USER\\Software\\RT4Leaf<0x01>  (damaged: control character 0x01; "
                "never cleaned)",
                "C:\\B"}));
  // A damaged registry row cannot be edited, only removed.
  list.Select(2);
  EXPECT_FALSE(list.EditEnabled());
  EXPECT_TRUE(list.RemoveEnabled());
  list.RemoveSelected();
  ASSERT_EQ(list.Save(), std::nullopt);
  EXPECT_EQ(Read(),
            damaged + "[<New List>]\r\nDelFile1=C:\\A\r\n" + keep_cut + "DelFile3=C:\\B\r\n");
}

TEST_F(CustomListFile, FolderDialogFollowsTheFolderAndChecksItAgainOnOk) {
  PutFile(Folder("Data\\b.txt"), "b");
  PutFile(Folder("Data\\a.log"), "a");
  PutFile(Folder("Data\\Sub\\c.txt"), "c");
  app::FolderEntryForm form = Editor().NewFolderForm();
  EXPECT_FALSE(form.OkEnabled());
  form.folder = Folder("Data");
  EXPECT_EQ(form.FilesOfFolder(), (std::vector<std::string>{"a.log", "b.txt"}));
  EXPECT_FALSE(form.OkEnabled());  // no file chosen yet
  form.file = "b.txt";
  EXPECT_EQ(form.Accept().entry, Folder("Data") + ",b.txt");

  form.option = app::FolderOption::WholeFolder;
  EXPECT_EQ(form.Accept().entry, Folder("Data"));
  form.delete_folder = false;
  EXPECT_FALSE(form.OkEnabled());  // "*." as it starts
  form.mask = "*.txt";
  EXPECT_EQ(form.Accept().entry, Folder("Data") + ",*.txt");

  form.folder = Folder("Data\\b.txt");  // a file is no folder
  EXPECT_FALSE(form.OkEnabled());
  EXPECT_TRUE(form.FilesOfFolder().empty());

  // A folder whose path holds "," would be cleaned as another folder and a file name.
  PutFile(Folder("a,b\\x.txt"), "x");
  form.folder = Folder("a,b");
  ASSERT_TRUE(form.OkEnabled());
  EXPECT_EQ(form.Accept().entry, std::nullopt);

  // Chosen, then gone before OK.
  form.folder = Folder("Data\\Sub");
  ASSERT_TRUE(form.OkEnabled());
  ASSERT_TRUE(files().ShellDelete(Folder("Data\\Sub")).ok());
  const app::EntryResult gone = form.Accept();
  EXPECT_EQ(gone.entry, std::nullopt);
  EXPECT_EQ(gone.message, "The folder " + Folder("Data\\Sub") + " does not exist any more.");
}

// A key right below a root is as much as a drive root: the list asks first, as it does
// before emptying a drive root; Test asks nothing, one named value is not asked about. The
// current user's keys spelled under HKEY_USERS\<SID> are asked about the same.
TEST_F(CustomListFile, KeyRightBelowARootIsAskedAboutBeforeClean) {
  if (!machine().IsThrowawayMachine()) GTEST_SKIP() << "makes a key right below HKCU";
  const std::string top = "MorvelTopLevelTest";
  struct Spelling {
    platform::RootKey root;
    std::string path;  // of the key below the root
    std::string name;  // as the list writes it
  };
  const auto run_list = [this](RunMode mode) {
    const auto run = MakeRun(mode);
    Executor executor(*run);
    return RunDefinitionSection(executor, "Clist.dat", "Custom Lists - <New List>");
  };
  std::vector<Spelling> spellings = {
      {kUser, top, "HKEY_CURRENT_USER\\" + top},
      {platform::RootKey::Users, UsersHiveOf(top) + "\\" + top, ""},
  };
  spellings[1].name = "HKEY_USERS\\" + spellings[1].path;
  for (const Spelling& s : spellings) {
    SCOPED_TRACE(s.name);
    PutKey(s.root, s.path, {"a", "b"});
    const std::string slashes =
        s.name.substr(0, s.name.find('\\')) + "\\\\" + s.name.substr(s.name.find('\\') + 1);
    PutFile(ListPath(), "[<New List>]\r\nDelRegValue1=" + s.name + "\r\nDelRegValue2=" + slashes +
                            ",\r\nDelRegValue3=" + s.name + ",a\r\n");
    questions.asked.clear();
    questions.answers.clear();
    EXPECT_EQ(run_list(RunMode::Test).items, 2 + 2 + 1);
    EXPECT_TRUE(questions.asked.empty());

    const Tally refused = run_list(RunMode::Clean);  // No to both questions
    ASSERT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(questions.asked[0].text, "Do you want to delete the registry key " + s.name +
                                           " with all its keys and values?");
    EXPECT_EQ(questions.asked[1].text,
              "Do you want to delete all keys and values under " + s.name + "?");
    EXPECT_EQ(questions.asked[0].default_answer, platform::Answer::No);
    EXPECT_EQ(refused.items, 1);  // the named value
    // What the user kept is left: the key and the key emptied, as named.
    EXPECT_EQ(refused.left, (std::vector<LeftEntry>{{s.name, LeftReason::Refused},
                                                    {slashes, LeftReason::Refused}}));
    EXPECT_TRUE(registry().KeyExists(s.root, s.path));

    // Yes: the key goes, and the entries after it find nothing to ask about.
    questions.asked.clear();
    questions.answers = {platform::Answer::Yes};
    EXPECT_EQ(run_list(RunMode::Clean).items, 1);  // "b": "a" went with the named-value entry
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_FALSE(registry().KeyExists(s.root, s.path));
  }
}

}  // namespace
}  // namespace morvel::definitions_test
