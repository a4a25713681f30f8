// The cleaners that only remove registry keys and values: Start Run, Search Assistant and
// the built-in items of "Advanced".

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kTray = kExplorer + "\\TrayNotify";
const std::string kUserAssist = kExplorer + "\\UserAssist";
const std::string kCount1 = kUserAssist + "\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count";
const std::string kCount2 = kUserAssist + "\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";

struct KeyCase {
  const char* item;
  std::string key;     // removed with everything below it
  std::string parent;  // stays

  friend void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.item; }
};

class WholeKeyItems : public CleanersTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(WholeKeyItems, RemoveTheKeyWithItsSubKeysCountingEveryValueAndKeepTheParent) {
  const KeyCase& c = GetParam();
  PutKey(c.parent, {"Keep"});
  PutKey(c.key, {"a", "b", "MRUList"});
  PutKey(c.key + "\\Sub", {"c"});
  PutKey(c.key + "\\Empty");

  const Outcome clean = TestThenClean(c.item);
  EXPECT_EQ(clean.count, 4);
  EXPECT_EQ(clean.size_text, "0");
  EXPECT_FALSE(clean.lines.empty());
  EXPECT_FALSE(KeyExists(c.key));
  EXPECT_TRUE(ValueExists(c.parent, "Keep"));

  // Once removed there is nothing left to find.
  EXPECT_EQ(RunItem(c.item, RunMode::Test).count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Items, WholeKeyItems,
    ::testing::Values(
        KeyCase{"Windows - Start Run", kExplorer + "\\RunMRU", kExplorer},
        KeyCase{"Windows - Search Assistant", "Software\\Microsoft\\Search Assistant\\ACMru",
                "Software\\Microsoft\\Search Assistant"},
        KeyCase{"Advanced - Open File History", kExplorer + "\\ComDlg32\\OpenSaveMRU",
                kExplorer + "\\ComDlg32"},
        KeyCase{"Advanced - Menu Order Cache", kExplorer + "\\MenuOrder", kExplorer},
        KeyCase{"Advanced - Paint",
                "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
                "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint"}),
    [](const auto& info) {
      std::string name = info.param.item;
      std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
      return name;
    });

TEST_F(CleanersTest, TrayNotificationsCacheCountsEachOfItsTwoValuesAndKeepsTheRest) {
  const std::string item = "Advanced - Tray Notifications Cache";
  EXPECT_EQ(TestThenClean(item).count, 0);

  PutValue(kTray, platform::RegistryValue::MakeBinary("PastIconsStream", {1, 2, 3}));
  PutValue(kTray, platform::RegistryValue::MakeDword("Version", 5));
  EXPECT_EQ(TestThenClean(item).count, 1);

  PutValue(kTray, platform::RegistryValue::MakeBinary("IconStreams", {4, 5}));
  PutValue(kTray, platform::RegistryValue::MakeBinary("PastIconsStream", {6}));
  const Outcome clean = TestThenClean(item);
  EXPECT_EQ(clean.count, 2);
  ASSERT_EQ(clean.lines.size(), 2u);
  // IconStreams first, then PastIconsStream.
  EXPECT_NE(clean.lines[0].find("IconStreams"), std::string::npos);
  EXPECT_NE(clean.lines[1].find("PastIconsStream"), std::string::npos);
  EXPECT_FALSE(ValueExists(kTray, "IconStreams"));
  EXPECT_FALSE(ValueExists(kTray, "PastIconsStream"));
  EXPECT_TRUE(ValueExists(kTray, "Version"));
}

TEST_F(CleanersTest, UserAssistHistoryRemovesBothCountKeysAndKeepsTheirParents) {
  // ROT13 names, as Explorer writes them.
  PutKey(kCount1, {"HRZR_EHACNGU", "HRZR_EHAPCY"});
  PutKey(kCount2);  // an empty Count key counts 1
  PutKey(kUserAssist + "\\{5E6AB780-7743-11CF-A12B-00AA004AE837}", {"Version"});

  const Outcome clean = TestThenClean("Advanced - User Assist History");
  EXPECT_EQ(clean.count, 3);
  EXPECT_FALSE(KeyExists(kCount1));
  EXPECT_FALSE(KeyExists(kCount2));
  EXPECT_TRUE(ValueExists(kUserAssist + "\\{5E6AB780-7743-11CF-A12B-00AA004AE837}", "Version"));
  EXPECT_TRUE(KeyExists(kUserAssist + "\\{75048700-EF1F-11D0-9888-006097DEACF9}"));
}

}  // namespace
}  // namespace morvel::cleaners_test
