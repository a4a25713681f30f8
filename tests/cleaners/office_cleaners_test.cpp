// The Office cleaners: shortcuts of Office's Recent folder, then the registry lists of
// Office 8.0 to 12.0.

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

std::string Office(const char* version, const std::string& below) {
  return std::string("Software\\Microsoft\\Office\\") + version + "\\" + below;
}

const std::string kFrontPage = "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\";

class OfficeTest : public CleanersTest {
 protected:
  std::string OfficeRecent() { return AppData() + "\\Microsoft\\Office\\Recent"; }

  // One shortcut of every kind Office's Recent folder holds, 1,000 bytes each.
  void PutShortcuts() {
    for (const char* name : {"Orders.mdb", "Budget.xls", "Budget.xlsx", "index.htm", "about.html",
                             "Slides.ppt", "Letter.doc", "Letter.LNK", "index.dat"})
      PutFile(OfficeRecent() + "\\" + name, 1000);
  }
};

TEST_F(OfficeTest, EachItemTakesItsOwnShortcutsThenItsRegistryLists) {
  struct Case {
    const char* item;
    std::vector<std::string> removed;  // shortcut names
  };
  const std::vector<Case> cases = {
      {"Microsoft Office - Access", {"Orders.mdb"}},
      {"Microsoft Office - Excel", {"Budget.xls"}},
      {"Microsoft Office - FrontPage", {"index.htm", "about.html"}},
      {"Microsoft Office - Powerpoint", {"Slides.ppt"}},
      {"Microsoft Office - Word", {"Letter.doc"}},
  };
  for (const Case& c : cases) {
    PutShortcuts();
    const Outcome clean = TestThenClean(c.item);
    EXPECT_EQ(clean.count, static_cast<std::int32_t>(c.removed.size())) << c.item;
    EXPECT_EQ(clean.bytes, 1000u * c.removed.size()) << c.item;
    ASSERT_EQ(clean.lines.size(), c.removed.size()) << c.item;
    for (std::size_t i = 0; i < c.removed.size(); ++i) {
      EXPECT_EQ(clean.lines[i], "deleting " + OfficeRecent() + "\\" + c.removed[i]) << c.item;
      EXPECT_FALSE(Exists(OfficeRecent() + "\\" + c.removed[i])) << c.item;
    }
    EXPECT_TRUE(Exists(OfficeRecent() + "\\Letter.LNK")) << c.item;
    EXPECT_TRUE(Exists(OfficeRecent() + "\\Budget.xlsx")) << c.item;
  }
}

TEST_F(OfficeTest, RecentFilesTakesEveryShortcut) {
  PutShortcuts();
  PutFile(OfficeRecent() + "\\Sub\\kept.lnk");
  const Outcome clean = TestThenClean("Microsoft Office - Recent Files");
  EXPECT_EQ(clean.count, 9);
  EXPECT_EQ(clean.bytes, 9000u);
  EXPECT_EQ(clean.size_text, "9");
  EXPECT_TRUE(Exists(OfficeRecent() + "\\Sub\\kept.lnk"));
  EXPECT_TRUE(Exists(OfficeRecent()));
}

TEST_F(OfficeTest, ExcelRemovesTheWholeExcelKeyOfEveryVersion) {
  PutKey(Office("11.0", "Excel\\Recent Files"), {"File1", "File2"});
  PutKey(Office("11.0", "Excel\\Options"), {"Font"});
  PutKey(Office("12.0", "Excel"));  // no values: counts 1
  PutKey(Office("11.0", "Word\\Data"), {"Toolbars"});
  PutFile(OfficeRecent() + "\\Budget.xls", 10);

  const Outcome clean = TestThenClean("Microsoft Office - Excel");
  EXPECT_EQ(clean.count, 1 + 3 + 1);
  EXPECT_EQ(clean.size_text, "1");
  ASSERT_GE(clean.lines.size(), 3u);
  EXPECT_EQ(clean.lines[0], "deleting " + OfficeRecent() + "\\Budget.xls");  // files first
  EXPECT_FALSE(KeyExists(Office("11.0", "Excel")));
  EXPECT_FALSE(KeyExists(Office("12.0", "Excel")));
  EXPECT_TRUE(ValueExists(Office("11.0", "Word\\Data"), "Toolbars"));
}

TEST_F(OfficeTest, WordRemovesOnlyTheSettingsValueOfEachDataKey) {
  for (const char* version : {"9.0", "10.0", "11.0"}) {
    PutValue(Office(version, "Word\\Data"),
             platform::RegistryValue::MakeBinary("Settings", {1, 2, 3}));
    PutValue(Office(version, "Word\\Data"), platform::RegistryValue::MakeBinary("Toolbars", {4}));
  }
  PutKey(Office("8.0", "Word\\Data"), {"Other"});  // no Settings: nothing to count

  const Outcome clean = TestThenClean("Microsoft Office - Word");
  EXPECT_EQ(clean.count, 3);
  for (const char* version : {"9.0", "10.0", "11.0"}) {
    EXPECT_FALSE(ValueExists(Office(version, "Word\\Data"), "Settings")) << version;
    EXPECT_TRUE(ValueExists(Office(version, "Word\\Data"), "Toolbars")) << version;
  }
  EXPECT_TRUE(ValueExists(Office("8.0", "Word\\Data"), "Other"));
}

TEST_F(OfficeTest, PowerpointRemovesBothListsPerVersionFileListFirst) {
  for (const char* version : {"8.0", "11.0"}) {
    PutKey(Office(version, "PowerPoint\\Recent File List"), {"File1", "File2"});
    PutKey(Office(version, "PowerPoint\\Recent Folder List"), {"Folder1"});
    PutKey(Office(version, "PowerPoint\\Options"), {"AutoSave"});
  }
  const Outcome clean = TestThenClean("Microsoft Office - Powerpoint");
  EXPECT_EQ(clean.count, 6);
  for (const char* version : {"8.0", "11.0"}) {
    EXPECT_FALSE(KeyExists(Office(version, "PowerPoint\\Recent File List"))) << version;
    EXPECT_FALSE(KeyExists(Office(version, "PowerPoint\\Recent Folder List"))) << version;
    EXPECT_TRUE(ValueExists(Office(version, "PowerPoint\\Options"), "AutoSave")) << version;
  }
  // Version 8.0's two lists come before version 11.0's, each file list before its folder list.
  std::vector<std::string> keys;
  for (const std::string& line : clean.lines)
    if (line.find("registry key") != std::string::npos) keys.push_back(line);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_NE(keys[0].find("8.0\\PowerPoint\\Recent File List"), std::string::npos);
  EXPECT_NE(keys[1].find("8.0\\PowerPoint\\Recent Folder List"), std::string::npos);
  EXPECT_NE(keys[2].find("11.0\\PowerPoint\\Recent File List"), std::string::npos);
}

TEST_F(OfficeTest, AccessAndFrontPageRemoveTheirListsAndCountFilesTogetherWithValues) {
  PutKey(Office("10.0", "Access\\Settings"), {"MRU1", "MRU2"});
  PutKey(Office("13.0", "Access\\Settings"), {"MRU1"});  // not an Office version of this item
  PutFile(OfficeRecent() + "\\Orders.mdb", 10);
  EXPECT_EQ(TestThenClean("Microsoft Office - Access").count, 1 + 2);
  EXPECT_TRUE(KeyExists(Office("13.0", "Access\\Settings")));

  PutKey(kFrontPage + "Recent File List", {"File1"});
  PutKey(kFrontPage + "Recent Page List", {"Page1", "Page2"});
  PutKey(kFrontPage + "Recent Web List", {"Web1"});
  PutKey(kFrontPage + "Settings", {"Keep"});
  PutFile(OfficeRecent() + "\\index.htm", 1024);
  PutFile(OfficeRecent() + "\\about.html", 1);
  const Outcome frontpage = TestThenClean("Microsoft Office - FrontPage");
  EXPECT_EQ(frontpage.count, 2 + 4);
  EXPECT_EQ(frontpage.bytes, 1025u);
  EXPECT_EQ(frontpage.size_text, "2");
  EXPECT_TRUE(ValueExists(kFrontPage + "Settings", "Keep"));
}

TEST_F(OfficeTest, WithoutAnApplicationDataFolderNoItemTouchesAnything) {
  PutShortcuts();
  PutKey(Office("11.0", "Excel\\Recent Files"), {"File1"});
  PutValue(Office("11.0", "Word\\Data"), platform::RegistryValue::MakeBinary("Settings", {1}));
  PutKey(kFrontPage + "Recent Web List", {"Web1"});
  system().app_data = "C:\\No Such Profile\\AppData";
  for (const char* item : {"Microsoft Office - Access", "Microsoft Office - Excel",
                           "Microsoft Office - FrontPage", "Microsoft Office - Powerpoint",
                           "Microsoft Office - Word", "Microsoft Office - Recent Files"}) {
    const Outcome clean = TestThenClean(item);
    EXPECT_EQ(clean.count, 0) << item;
    EXPECT_TRUE(clean.lines.empty()) << item;
  }
  EXPECT_TRUE(KeyExists(Office("11.0", "Excel\\Recent Files")));
  EXPECT_TRUE(ValueExists(Office("11.0", "Word\\Data"), "Settings"));
  EXPECT_TRUE(KeyExists(kFrontPage + "Recent Web List"));
}

}  // namespace
}  // namespace morvel::cleaners_test
