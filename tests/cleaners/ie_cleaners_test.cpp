// The Internet Explorer items on the tests' machine: what Test lists and Clean removes,
// and what stays (kept cookies, today's history, other schemes, the indexes' headers).

#include <algorithm>
#include <string>
#include <vector>

#include "engine/cleaners/ie_support.h"
#include "tests/cleaners/cleaners_fixture.h"
#include "tests/stores/index_dat_builder.h"

namespace morvel::cleaners_test {
namespace {

using platform::SpecialFolder;

constexpr const char* kIe = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kSearchBar =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}";

class IeCleanersTest : public CleanersTest {
 protected:
  std::string Folder(SpecialFolder folder) { return machine().system().SpecialFolderPath(folder); }

  // A sound index with one table at 0x100 and one URL record; bytes past the table's
  // header are 0x11 so that the wipe shows.
  static std::string IndexDat() {
    testing::IndexDatBuilder file(0x2000, 0x100);
    file.bytes.replace(0x120, 0x2000 - 0x120, 0x2000 - 0x120, '\x11');
    file.Table(0x100, 1).Entry(0x100, 0, 0x800).UrlRecord(0x800, "http://example.com/", 1);
    return file.bytes;
  }
  // The bytes of a file, also of one in use (ReadFile refuses those).
  std::string Content(const std::string& path) {
    auto reader = files().OpenForReading(path);
    if (!reader.ok()) return {};
    std::string bytes(static_cast<std::size_t>(reader.value->Size()), '\0');
    const auto read = reader.value->ReadAt(
        0, std::span<std::byte>(reinterpret_cast<std::byte*>(bytes.data()), bytes.size()));
    bytes.resize(read.ok() ? read.value : 0);
    return bytes;
  }
  // Whether the file is an index whose records were wiped: header kept, zeros after.
  bool IsWiped(const std::string& path) {
    const std::string bytes = Content(path);
    return bytes.size() == 0x2000 && bytes.compare(0, 0x120, IndexDat(), 0, 0x120) == 0 &&
           std::all_of(bytes.begin() + 0x120, bytes.end(), [](char c) { return c == 0; });
  }
};

TEST_F(IeCleanersTest, TypedUrlsAreListedThenTheirKeysGo) {
  PutKey(std::string(kIe) + "\\TypedURLs", {"url1", "url2"});
  PutKey(std::string(kSearchBar) + "\\FilesNamedMRU", {"a"});
  const Outcome clean = TestThenClean("Internet Explorer - Recently Typed URLs");
  EXPECT_EQ(clean.count, 3);
  EXPECT_EQ(clean.bytes, 0u);
  ASSERT_GE(clean.lines.size(), 2u);
  EXPECT_EQ(clean.lines[0], "deleting url1");
  EXPECT_EQ(clean.lines[1], "deleting url2");
  EXPECT_FALSE(KeyExists(std::string(kIe) + "\\TypedURLs"));
  EXPECT_FALSE(KeyExists(std::string(kSearchBar) + "\\FilesNamedMRU"));

  PutKey(std::string(kIe) + "\\TypedURLs", {"url3"});
  const Outcome fast = RunItem("Internet Explorer - Recently Typed URLs", RunMode::Test,
                               [](TOptionsSetting& s) { s.FastScan = true; });
  EXPECT_EQ(fast.count, 1);
  EXPECT_TRUE(fast.lines.empty());
}

TEST_F(IeCleanersTest, TheLastDownloadFolderGoesAndTheBrowsersOtherSettingsStay) {
  PutValue(kIe, platform::RegistryValue::MakeString("Download Directory", "C:\\Downloads"));
  PutValue(kIe, platform::RegistryValue::MakeString("Other", "stays"));
  EXPECT_EQ(TestThenClean("Internet Explorer - Last Download Location").count, 1);
  EXPECT_FALSE(ValueExists(kIe, "Download Directory"));
  EXPECT_TRUE(ValueExists(kIe, "Other"));
  EXPECT_EQ(TestThenClean("Internet Explorer - Last Download Location").count, 0);
}

TEST_F(IeCleanersTest, CookiesGoExceptThoseKeptByExactName) {
  const std::string cookies = Folder(SpecialFolder::Cookies);
  const std::string program = AppData() + "\\Morvel Tests\\";
  system().program_folder = program;
  const struct {
    const char* name;
    std::vector<std::string> keep;  // empty: no Cookies.dat
    bool low;                       // the cookies lie in "Low" alone
    std::vector<std::string> removed;
    bool wiped;
  } cases[] = {
      {"kept by exact name",
       {"keep@site[1].txt", "keep@other[1].txt"},
       false,
       {"backup.txt.bak", "gone@site[2].txt", "Keep@other[1].txt"},
       false},
      {"nothing kept",
       {},
       false,
       {"backup.txt.bak", "gone@site[2].txt", "Keep@other[1].txt", "keep@site[1].txt"},
       true},
      {"protected mode",
       {},
       true,
       {"backup.txt.bak", "gone@site[2].txt", "Keep@other[1].txt", "keep@site[1].txt"},
       true},
  };
  for (const auto& c : cases) {
    const std::string folder = c.low ? cookies + "\\Low" : cookies;
    for (const char* name : {"keep@site[1].txt", "Keep@other[1].txt", "gone@site[2].txt",
                             "backup.txt.bak", "notes.log"})
      PutFile(folder + "\\" + name, 10);
    const bool own_index = machine().IsEmulated();
    if (own_index) WriteAt(folder + "\\index.dat", IndexDat());
    std::string ini = "[Cookies to keep]\r\nCount=" + std::to_string(c.keep.size()) + "\r\n";
    for (std::size_t i = 0; i < c.keep.size(); ++i)
      ini += std::to_string(i) + "=" + c.keep[i] + "\r\n";
    WriteAt(program + "Cookies.dat", ini);

    const Outcome clean = TestThenClean("Internet Explorer - Cookies");
    EXPECT_EQ(clean.count, static_cast<std::int32_t>(c.removed.size())) << c.name;
    EXPECT_EQ(clean.bytes, 10u * c.removed.size()) << c.name;
    std::vector<std::string> expected;
    for (const std::string& name : c.removed)
      expected.push_back("deleting " + folder + "\\" + name);
    EXPECT_EQ(clean.lines, expected) << c.name;
    for (const std::string& name : c.removed) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    EXPECT_TRUE(Exists(folder + "\\notes.log")) << c.name;
    if (own_index) {
      EXPECT_EQ(IsWiped(folder + "\\index.dat"), c.wiped) << c.name;
    }
    (void)files().ShellDelete(folder + "\\keep@site[1].txt");
    (void)files().ShellDelete(folder + "\\notes.log");
  }
}

TEST_F(IeCleanersTest, ACookieSetAgainUnderANewNameStaysKeptByItsSite) {
  const std::string cookies = Folder(SpecialFolder::Cookies);
  const std::string program = AppData() + "\\Morvel Tests\\";
  system().program_folder = program;
  const auto cookie = [](const std::string& site) {
    return "id\n1\n" + site + "/\n1024\n0\n31520549\n0\n0\n*\n";
  };
  // Kept as OLD1.txt; the site has since set it again, and WinINet named it NEW2.txt.
  WriteAt(cookies + "\\NEW2.txt", cookie("Mail.Example.com"));
  WriteAt(cookies + "\\AAAA.txt", cookie("news.example.org"));
  WriteAt(program + "Cookies.dat",
          "[Cookies to keep]\r\nCount=1\r\n0=OLD1.txt\r\nSiteCount=1\r\n"
          "Site0=mail.example.com\r\n");
  const Outcome clean = TestThenClean("Internet Explorer - Cookies");
  EXPECT_EQ(clean.count, 1);
  EXPECT_EQ(clean.lines, std::vector<std::string>{"deleting " + cookies + "\\AAAA.txt"});
  EXPECT_TRUE(Exists(cookies + "\\NEW2.txt"));
  EXPECT_FALSE(Exists(cookies + "\\AAAA.txt"));
  (void)files().ShellDelete(cookies + "\\NEW2.txt");
}

TEST_F(IeCleanersTest, TestListsTheCacheWithoutItsIndexAndCleanWipesTheIndexInUse) {
  if (!machine().IsEmulated()) GTEST_SKIP() << "the prefix's own browser files would count";
  const std::string cache = Folder(SpecialFolder::InternetCache);
  PutFile(cache + "\\a.htm", 100);
  PutFile(cache + "\\Content.IE5\\X1Y2\\b.gif", 200);
  WriteAt(cache + "\\Content.IE5\\index.dat", IndexDat());
  SKIP_IF(machine().LockFile(cache + "\\Content.IE5\\index.dat"));
  const auto show = [](TOptionsSetting& s) { s.ShowLogTempInternetFiles = true; };

  const Outcome test = RunItem("Internet Explorer - Temporary Internet Files", RunMode::Test, show);
  EXPECT_EQ(test.count, 2);
  EXPECT_EQ(test.bytes, 300u);
  const Outcome quiet = RunItem("Internet Explorer - Temporary Internet Files", RunMode::Clean);
  EXPECT_EQ(quiet.count, 2);  // the index in use is tried and not counted
  EXPECT_EQ(quiet.raw_lines, std::vector<std::string>{"Clearing, please wait..."});
  EXPECT_FALSE(Exists(cache + "\\a.htm"));
  EXPECT_TRUE(Exists(cache));
  EXPECT_TRUE(IsWiped(cache + "\\Content.IE5\\index.dat"));

  machine().UnlockFiles();
  PutFile(cache + "\\c.htm", 5);
  EXPECT_EQ(RunItem("Internet Explorer - Temporary Internet Files", RunMode::Clean, show).count, 2);
  EXPECT_FALSE(Exists(cache + "\\Content.IE5\\index.dat"));
}

TEST_F(IeCleanersTest, HistoryGoesFromTheStoreTheCacheAndTheDayFoldersByVersionClass) {
  if (!machine().IsEmulated()) GTEST_SKIP() << "the prefix's own browser files would count";
  const std::string history = Folder(SpecialFolder::History);
  auto run = MakeRun(RunMode::Test);
  const std::string today = TodaysHistoryMarker(*run);
  ASSERT_EQ(today.size(), 16u);
  const struct {
    const char* name;
    platform::WindowsVersion version;
    std::string root;         // the day folders' root below the History folder
    std::string index_wiped;  // an index the tree wipe reaches
    std::string index_kept;   // one it leaves for the Index.dat Files item
  } cases[] = {
      {"Vista",
       {platform::WindowsFamily::Nt, 6, 0},
       "\\Low\\History.IE5",
       "\\History.IE5\\index.dat",
       "\\index.dat"},
      {"Windows 7",
       {platform::WindowsFamily::Nt, 6, 1},
       "\\History.IE5",
       "\\History.IE5\\MSHist011999\\index.dat",
       "\\History.IE5\\index.dat"},
  };
  for (const auto& c : cases) {
    system().version_override = c.version;
    SKIP_IF(machine().AddUrlHistoryEntry("http://visited.test/"));
    for (const char* url : {"http://cached.test/", "https://secure.test/", "HTTP://caps.test/",
                            "Cookie:user@cached.test/"})
      SKIP_IF(machine().AddUrlCacheEntry(url));
    PutFile(history + c.root + "\\MSHist011999\\old.dat", 30);
    PutFile(history + c.root + "\\" + today + "\\new.dat", 7);
    WriteAt(history + c.index_wiped, IndexDat());
    WriteAt(history + c.index_kept, IndexDat());
    const bool vista = c.version.minor == 0;

    const Outcome clean = TestThenClean("Internet Explorer - Visited URL History");
    // The store's URL, the cache's "http://" one, and the old day folder's file (on
    // Windows 7 today's as well: only the Vista class keeps it).
    EXPECT_EQ(clean.count, vista ? 3 : 4) << c.name;
    EXPECT_EQ(clean.bytes, vista ? 30u : 37u) << c.name;
    ASSERT_GE(clean.lines.size(), 2u);
    EXPECT_EQ(clean.lines[0], "deleting http://visited.test/") << c.name;
    EXPECT_EQ(clean.lines[1], "deleting http://cached.test/") << c.name;
    EXPECT_FALSE(Exists(history + c.root + "\\MSHist011999\\old.dat")) << c.name;
    EXPECT_EQ(Exists(history + c.root + "\\" + today + "\\new.dat"), vista) << c.name;
    EXPECT_TRUE(IsWiped(history + c.index_wiped)) << c.name;
    EXPECT_FALSE(IsWiped(history + c.index_kept)) << c.name;
    // What stays: other schemes and the cache's own entries.
    EXPECT_EQ(RunItem("Internet Explorer - Visited URL History", RunMode::Test).count, 0);
    (void)files().ShellDelete(history);
  }
}

TEST_F(IeCleanersTest, IndexDatFilesCountThreeWhenAnyHoldsBytesAndGoAtTheNextStart) {
  if (!machine().IsEmulated()) GTEST_SKIP() << "the prefix's own browser files would count";
  const std::string cookies = Folder(SpecialFolder::Cookies) + "\\index.dat";
  const std::string cache = Folder(SpecialFolder::InternetCache) + "\\Content.IE5\\index.dat";
  const std::string history = Folder(SpecialFolder::History) + "\\History.IE5\\index.dat";
  const std::string wininit = Windows() + "\\Wininit.ini";
  const std::string pending = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  EXPECT_EQ(TestThenClean("Internet Explorer - Index.dat Files").count, 0);  // none at all
  WriteAt(cookies, "");
  EXPECT_EQ(TestThenClean("Internet Explorer - Index.dat Files").count, 0);  // empty ones

  const struct {
    const char* name;
    platform::WindowsVersion version;
    bool wininit;
  } cases[] = {{"Windows 98", {platform::WindowsFamily::Win9x, 4, 10}, true},
               {"Windows XP", {platform::WindowsFamily::Nt, 5, 1}, false}};
  const auto renames = [&] {
    const auto value = registry().ReadValue(platform::RootKey::LocalMachine, pending,
                                            "PendingFileRenameOperations");
    return value.ok() ? value.value.AsMultiString().value_or(std::vector<std::string>())
                      : std::vector<std::string>();
  };
  for (const auto& c : cases) {
    system().version_override = c.version;
    WriteAt(cookies, IndexDat());
    const std::vector<std::string> renames_before = renames();
    const Outcome clean = TestThenClean("Internet Explorer - Index.dat Files");
    EXPECT_EQ(clean.count, 3) << c.name;
    EXPECT_EQ(clean.bytes, 0x2000u) << c.name;
    EXPECT_EQ(clean.raw_lines.front(),
              "Warning: This will take effect next time windows is rebooted.");
    EXPECT_TRUE(IsWiped(cookies)) << c.name;
    const std::string ini = files().ReadFile(wininit).value;
    const std::vector<std::string> renames_after = renames();
    if (c.wininit) {
      EXPECT_NE(ini.find("url=" + cookies), std::string::npos) << ini;
      EXPECT_NE(ini.find("url=\r\n"), std::string::npos) << ini;  // a missing file: no name
      EXPECT_EQ(renames_after, renames_before) << c.name;
    } else {
      EXPECT_EQ(ini, "") << c.name;
      EXPECT_NE(std::find(renames_after.begin(), renames_after.end(), "\\??\\" + cookies),
                renames_after.end());
    }
    (void)files().ShellDelete(wininit);
  }
}

TEST_F(IeCleanersTest, AutocompleteRemovesTheBrowsersFormEntriesAndTheIntelliFormsKeys) {
  const std::string ie = "{E161255A-37C3-11D2-BCAA-00C04FD929DB}";
  const std::string other = "{11111111-2222-3333-4444-555555555555}";
  auto subtype = [&](const std::string& id, const std::vector<std::string>& items) {
    std::string s = "[Subtype " + ie + " " + id + "]\r\n";
    for (const std::string& item : items) s += "Item=" + item + "\r\n";
    return s;
  };
  const std::string store =
      "[Type " + ie + "]\r\nName=Internet Explorer\r\n" +
      subtype("{00000000-0000-0000-0000-000000000001}",
              {"http://a.test/:StringData", "http://a.test/:StringIndex", "b:StringData"}) +
      subtype("{00000000-0000-0000-0000-000000000002}", {"http://c.test/:StringData"}) +
      subtype("{00000000-0000-0000-0000-000000000003}", {"w", "x", "y", "z"}) + "[Type " + other +
      "]\r\nName=Outlook\r\n[Subtype " + other + " " + other + "]\r\nItem=http://o/:StringData\r\n";
  SKIP_IF(machine().PutProtectedStorage(store));
  PutKey(std::string(kIe) + "\\IntelliForms\\Storage1", {"h1", "h2"});
  PutKey(std::string(kIe) + "\\IntelliForms\\Storage2");
  const Outcome clean = TestThenClean("Internet Explorer - Autocomplete History");
  EXPECT_EQ(clean.count, 1 + 1 + 2 + 2 + 1);  // pairs per subtype, then the two keys
  EXPECT_FALSE(KeyExists(std::string(kIe) + "\\IntelliForms\\Storage1"));
  EXPECT_FALSE(KeyExists(std::string(kIe) + "\\IntelliForms\\Storage2"));
  // Only the first two were removed: every other name is still listed.
  EXPECT_EQ(RunItem("Internet Explorer - Autocomplete History", RunMode::Test).count, 1 + 2);

  SKIP_IF(machine().PutProtectedStorage("[Store]\r\nAvailable=0\r\n"));
  PutKey(std::string(kIe) + "\\IntelliForms\\Storage1", {"h1"});
  EXPECT_EQ(TestThenClean("Internet Explorer - Autocomplete History").count, 0);
  EXPECT_TRUE(KeyExists(std::string(kIe) + "\\IntelliForms\\Storage1"));
}

TEST(IeVersionClass, VistaIsSixButNotSevenAndNineXIsNinetyFiveToMe) {
  using platform::WindowsFamily;
  const struct {
    platform::WindowsVersion version;
    VersionClass expected;
  } cases[] = {{{WindowsFamily::Nt, 6, 0}, VersionClass::Vista},
               {{WindowsFamily::Nt, 6, 2}, VersionClass::Vista},
               {{WindowsFamily::Nt, 6, 3}, VersionClass::Vista},
               {{WindowsFamily::Nt, 6, 1}, VersionClass::Neither},
               {{WindowsFamily::Nt, 5, 1}, VersionClass::Neither},
               {{WindowsFamily::Nt, 10, 0}, VersionClass::Neither},
               {{WindowsFamily::Nt, 4, 10}, VersionClass::Neither},
               {{WindowsFamily::Win9x, 4, 0}, VersionClass::Win9x},
               {{WindowsFamily::Win9x, 4, 10}, VersionClass::Win9x},
               {{WindowsFamily::Win9x, 4, 90}, VersionClass::Win9x},
               {{WindowsFamily::Win9x, 4, 20}, VersionClass::Neither},
               {{WindowsFamily::Win9x, 3, 10}, VersionClass::Neither}};
  for (const auto& c : cases)
    EXPECT_EQ(VersionClassOf(c.version), c.expected)
        << static_cast<int>(c.version.family) << " " << c.version.major << "." << c.version.minor;
}

}  // namespace
}  // namespace morvel::cleaners_test
