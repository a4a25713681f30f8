// The Firefox, Chrome, Opera and Netscape items on one machine layout: which files each
// takes and in which order, the cache sweeps, the database steps, the profile choices, and
// what stays when a browser (or a part of it) is missing or is a link.

#include <algorithm>
#include <functional>

#include "tests/cleaners/browser_fixture.h"

namespace morvel::cleaners_test {
namespace {

const auto kShowCacheLog = [](TOptionsSetting& s) { s.ShowLogTempInternetFiles = true; };

// Every file item: the files it takes, in the order it takes them, and files beside them
// that stay. Paths are relative to the browser's folder.
struct FileCase {
  const char* item;
  std::string (BrowserTest::*base)();
  std::vector<std::string> removed;
  std::vector<std::string> kept;
};

class BrowserCleanersTest : public BrowserTest {};

TEST_F(BrowserCleanersTest, FileItemsTakeTheirNamesPatternByPattern) {
  const std::vector<FileCase> cases = {
      {"Mozilla Firefox - Cookies",
       &BrowserTest::Firefox,
       {"a.default\\Cookies-old.TXT", "a.default\\cookies.txt", "a.default\\cookies.sqlite",
        "work\\cookies.sqlite"},
       {"a.default\\cookies.sqlite-wal", "a.default\\mycookies.txt"}},
      {"Mozilla Firefox - Download Manager",
       &BrowserTest::Firefox,
       {"a.default\\downloads.rdf", "a.default\\downloads.sqlite"},
       {"a.default\\Downloads.sqlite.bak"}},
      {"Mozilla Firefox - Autocomplete History",
       &BrowserTest::Firefox,
       {"a.default\\signons.txt", "a.default\\signons3.txt"},
       {"a.default\\logins.json"}},
      {"Mozilla Firefox - Preferences",
       &BrowserTest::Firefox,
       {"a.default\\prefs.js"},
       {"a.default\\user.js"}},
      {"Mozilla Firefox - Saved Form Information",
       &BrowserTest::Firefox,
       {"a.default\\formhistory.dat", "a.default\\formhistory.sqlite"},
       {}},
      {"Mozilla Firefox - Visited URL History", &BrowserTest::Firefox, {"old\\history.dat"}, {}},
      {"Google Chrome - Cookies",
       &BrowserTest::Chrome,
       {"Cookies", "Extension\\Cookies"},
       {"Cookies-journal"}},
      {"Google Chrome - Visited URL History",
       &BrowserTest::Chrome,
       {"Current Session", "History", "Archived History", "Thumbnails", "History Index 2010-05",
        "Old\\History Index 2010-05", "history index 2010-06"},
       {"History-journal", "Visited Links", "Old\\History Index 2010-07"}},
      {"Opera - Cookies", &BrowserTest::Opera, {"Opera\\profile\\cookies4.dat"}, {"cookies.dat"}},
      {"Opera - Visited URL History",
       &BrowserTest::Opera,
       {"global.dat", "vlink4.dat", "autosave.win"},
       {"opera6.ini"}},
      {"Opera - Recently Typed URLs", &BrowserTest::Opera, {"opera.dir", "typed_history.xml"}, {}},
      {"Opera - Transfers", &BrowserTest::Opera, {"download.dat"}, {}},
      {"Opera - Autocomplete History", &BrowserTest::Opera, {"wand.dat"}, {}},
      {"Netscape - Cookies",
       &BrowserTest::Netscape,
       {"pbzik8cu.default\\cookies-1.txt", "pbzik8cu.default\\cookies.txt"},
       {"pbzik8cu.default\\sub\\cookies.txt", "x.default\\cookies.txt"}},
      {"Netscape - Visited URL History",
       &BrowserTest::Netscape,
       {"pbzik8cu.default\\history.dat"},
       {}},
      {"Netscape - Saved Form Information",
       &BrowserTest::Netscape,
       {"pbzik8cu.default\\formhistory.dat"},
       {}},
      {"Netscape - Preferences", &BrowserTest::Netscape, {"pbzik8cu.default\\prefs.js"}, {}},
  };
  for (const FileCase& c : cases) {
    const std::string base = (this->*c.base)();
    std::size_t size = 100;
    for (const auto& list : {c.removed, c.kept})
      for (const std::string& name : list) PutFile(base + "\\" + name, size++);
    const Outcome clean = TestThenClean(c.item, kShowCacheLog);
    std::vector<std::string> lines;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < c.removed.size(); ++i) {
      lines.push_back("deleting " + base + "\\" + c.removed[i]);
      bytes += 100 + i;
      EXPECT_FALSE(Exists(base + "\\" + c.removed[i])) << c.item << ": " << c.removed[i];
    }
    EXPECT_EQ(clean.lines, lines) << c.item;
    EXPECT_EQ(clean.count, static_cast<std::int32_t>(c.removed.size())) << c.item;
    EXPECT_EQ(clean.bytes, bytes) << c.item;
    for (const std::string& name : c.kept)
      EXPECT_TRUE(Exists(base + "\\" + name)) << c.item << ": " << name;
  }
}

TEST_F(BrowserCleanersTest, CacheItemsEmptyEveryProfilesCacheAndKeepTheFolders) {
  struct CacheCase {
    const char* item;
    std::vector<std::string> caches;  // full paths
    std::vector<std::string> not_caches;
    bool clearing_line;  // logs files only when asked, and says so in Clean mode
  };
  const std::vector<CacheCase> cases = {
      {"Mozilla Firefox - Temporary Internet Files",
       {Firefox() + "\\a.default\\Cache", Firefox() + "\\work\\Cache",
        FirefoxLocal() + "\\a.default\\Cache", FirefoxLocal() + "\\b.default\\cache2"},
       {FirefoxLocal() + "\\a.default\\Cache.old", FirefoxLocal() + "\\b.default\\startupCache"},
       true},
      {"Google Chrome - Temporary Internet Files",
       {Chrome() + "\\Cache"},
       {Chrome() + "\\Media Cache"},
       false},
      {"Opera - Temporary Internet Files",
       {Opera() + "\\Opera\\profile\\cache4", OperaLocal() + "\\Opera 10\\profile\\cache4"},
       {Opera() + "\\profile\\cache4", Opera() + "\\Opera\\cache4"},
       false},
      {"Netscape - Temporary Internet Files",
       {Netscape() + "\\pbzik8cu.default\\Cache"},
       {Netscape() + "\\pbzik8cu.default\\sub\\Cache"},
       true},
  };
  for (const CacheCase& c : cases) {
    for (const std::string& cache : c.caches) {
      PutFile(cache + "\\_CACHE_MAP_", 1000);
      PutFile(cache + "\\3\\A1\\entry", 1048);
    }
    for (const std::string& folder : c.not_caches) PutFile(folder + "\\kept", 10);

    const Outcome test = RunItem(c.item, RunMode::Test);
    const Outcome clean = RunItem(c.item, RunMode::Clean);
    EXPECT_EQ(test.count, clean.count) << c.item;
    EXPECT_EQ(clean.count, static_cast<std::int32_t>(2 * c.caches.size())) << c.item;
    EXPECT_EQ(clean.bytes, 2048u * c.caches.size()) << c.item;
    if (c.clearing_line) {
      EXPECT_TRUE(test.lines.empty()) << c.item;
      EXPECT_EQ(clean.lines, std::vector<std::string>{"Clearing, please wait..."}) << c.item;
    } else {
      EXPECT_EQ(test.lines, clean.lines) << c.item;
      EXPECT_EQ(clean.lines.size(), 2 * c.caches.size()) << c.item;
    }
    for (const std::string& cache : c.caches) {
      EXPECT_TRUE(Exists(cache)) << cache;
      EXPECT_FALSE(Exists(cache + "\\3")) << cache;
    }
    for (const std::string& folder : c.not_caches) EXPECT_TRUE(Exists(folder + "\\kept")) << folder;
  }
  // Asked to, the quiet caches log their files and write no "Clearing" line.
  PutFile(Netscape() + "\\pbzik8cu.default\\Cache\\x", 10);
  const Outcome shown = TestThenClean("Netscape - Temporary Internet Files", kShowCacheLog);
  EXPECT_EQ(shown.lines,
            std::vector<std::string>{"deleting " + Netscape() + "\\pbzik8cu.default\\Cache\\x"});
}

TEST_F(BrowserCleanersTest, HistoryVisitsGoFromDefaultProfilesOnlyAndInCleanOnly) {
  for (const char* profile : {"abc.default", "abc.default-release", "work", "held.default"})
    PutPlaces(Firefox() + "\\" + profile + "\\places.sqlite");
  PutFile(Firefox() + "\\broken.default\\places.sqlite", 5000);  // not a database
  PutFile(Firefox() + "\\folder.default\\places.sqlite\\inside", 10);
  PutFile(Firefox() + "\\abc.default\\history.dat", 300);
  // A profile deep below a long name: cleaned like any other, or left whole where the
  // machine cannot reach it.
  const std::string deep = Firefox() + "\\" + std::string(200, 'p') + ".default";
  if (machine().IsEmulated()) PutPlaces(deep + "\\places.sqlite");
  ASSERT_TRUE(files().CreateFolder(Firefox() + "\\empty.default").ok());
  // A profile that is a link to a folder outside the profiles: left alone.
  PutPlaces(Temp() + "\\elsewhere\\places.sqlite");
  // (Where this Windows makes no links, the profile is simply not there.)
  (void)machine().MakeLink(Firefox() + "\\linked.default", Temp() + "\\elsewhere", true);
  SKIP_IF(machine().LockFile(Firefox() + "\\held.default\\places.sqlite"));

  const Outcome test = RunItem("Mozilla Firefox - Visited URL History", RunMode::Test);
  EXPECT_EQ(test.count, 1);
  EXPECT_EQ(test.bytes, 300u);
  EXPECT_EQ(RowCount(files(), Firefox() + "\\abc.default\\places.sqlite", "moz_historyvisits"), 3);

  const Outcome clean = RunItem("Mozilla Firefox - Visited URL History", RunMode::Clean);
  EXPECT_EQ(clean.count, 1);
  EXPECT_EQ(clean.lines, test.lines);
  machine().UnlockFiles();
  const std::vector<std::pair<std::string, int>> visits = {
      {Firefox() + "\\abc.default\\places.sqlite", 0},
      {Firefox() + "\\abc.default-release\\places.sqlite", 0},
      {Firefox() + "\\work\\places.sqlite", 3},
      {Firefox() + "\\held.default\\places.sqlite", 3},
      {Temp() + "\\elsewhere\\places.sqlite", 3},
  };
  if (machine().IsEmulated()) {
    EXPECT_EQ(RowCount(files(), deep + "\\places.sqlite", "moz_historyvisits"), 0);
  }
  for (const auto& [path, left] : visits) {
    EXPECT_EQ(RowCount(files(), path, "moz_historyvisits"), left) << path;
    EXPECT_EQ(RowCount(files(), path, "moz_places"), 2) << path;
    EXPECT_EQ(Integrity(files(), path), "ok") << path;
  }
  EXPECT_EQ(files().Stat(Firefox() + "\\broken.default\\places.sqlite").value.size, 5000u);
}

TEST_F(BrowserCleanersTest, StoredPasswordsEmptyTheLoginsTableInCleanOnlyAndCountNothing) {
  const std::string web_data = Chrome() + "\\Web Data";
  PutFile(web_data, 0);
  RunSql(files(), web_data,
         {"CREATE TABLE logins (origin_url TEXT)", "CREATE TABLE autofill (name TEXT)",
          "INSERT INTO logins VALUES ('http://a/')", "INSERT INTO autofill VALUES ('q')"});
  PutFile(Chrome() + "\\Login Data", 0);
  RunSql(files(), Chrome() + "\\Login Data",
         {"CREATE TABLE logins (origin_url TEXT)", "CREATE TABLE stats (n INTEGER)",
          "INSERT INTO logins VALUES ('http://b/')", "INSERT INTO stats VALUES (1)"});
  const Outcome test = RunItem("Google Chrome - Stored passwords in Forms", RunMode::Test);
  EXPECT_EQ(RowCount(files(), web_data, "logins"), 1);
  const Outcome clean = RunItem("Google Chrome - Stored passwords in Forms", RunMode::Clean);
  for (const Outcome& o : {test, clean}) {
    EXPECT_EQ(o.count, 0);
    EXPECT_EQ(o.size_text, "0");
    EXPECT_TRUE(o.raw_lines.empty());
  }
  EXPECT_EQ(RowCount(files(), web_data, "logins"), 0);
  EXPECT_EQ(RowCount(files(), web_data, "autofill"), 1);
  EXPECT_EQ(Integrity(files(), web_data), "ok");
  // Today's Chrome keeps them in "Login Data" (and, for the account, "Login Data For Account").
  EXPECT_EQ(RowCount(files(), Chrome() + "\\Login Data", "logins"), 0);
  EXPECT_EQ(RowCount(files(), Chrome() + "\\Login Data", "stats"), 1);

  // A zero-byte "Web Data" is an empty database: nothing to do, and it stays empty.
  ASSERT_TRUE(files().WriteFile(web_data, "").ok());
  RunItem("Google Chrome - Stored passwords in Forms", RunMode::Clean);
  EXPECT_EQ(files().Stat(web_data).value.size, 0u);
}

TEST_F(BrowserCleanersTest, NetscapeCleansOneProfileChosenAnewForEveryItem) {
  struct ChoiceCase {
    std::vector<std::string> profiles;
    std::string chosen;  // "" for none
  };
  const std::vector<ChoiceCase> cases = {
      {{"abc.default", "pbzik8cu.default", "xyz.default"}, "pbzik8cu.default"},
      {{"xyz.default", "abc.default"}, "abc.default"},  // first in listing order
      {{"work", "home"}, ""},
  };
  for (const ChoiceCase& c : cases) {
    for (const std::string& profile : c.profiles)
      PutFile(Netscape() + "\\" + profile + "\\prefs.js");
    const Outcome clean = TestThenClean("Netscape - Preferences");
    EXPECT_EQ(clean.count, c.chosen.empty() ? 0 : 1) << c.chosen;
    for (const std::string& profile : c.profiles) {
      EXPECT_EQ(Exists(Netscape() + "\\" + profile + "\\prefs.js"), profile != c.chosen) << profile;
      ASSERT_TRUE(files().ShellDelete(Netscape() + "\\" + profile).ok());
    }
  }
}

TEST_F(BrowserCleanersTest, ABrowserFolderThatLeadsToTheUsersOwnFoldersIsSkipped) {
  // A link planted where a browser keeps its profiles is no profile: Documents' files
  // of the same names stay, and the log says why.
  if (!machine().IsEmulated()) GTEST_SKIP() << "links into the prefix's own folders stay native";
  struct LinkCase {
    std::string folder;  // the browser's folder, made a link to Documents
    std::string item;
    std::string kept;  // a file in Documents the item's pattern names
  };
  const std::vector<LinkCase> cases = {
      {Firefox(), "Mozilla Firefox - Cookies", "p.default\\cookies.sqlite"},
      {FirefoxLocal(), "Mozilla Firefox - Temporary Internet Files", "p.default\\Cache\\x"},
      {Chrome(), "Google Chrome - Cookies", "Cookies"},
      {Opera(), "Opera - Cookies", "cookies4.dat"},
      {Netscape(), "Netscape - Preferences", "p.default\\prefs.js"},
  };
  for (const LinkCase& c : cases) {
    PutFile(c.folder.substr(0, c.folder.rfind('\\')) + "\\sibling.txt");
    PutFile(Documents() + "\\" + c.kept);
    ASSERT_FALSE(machine().MakeLink(c.folder, Documents(), true));
    const Outcome clean = TestThenClean(c.item, kShowCacheLog);
    EXPECT_EQ(clean.count, 0) << c.item;
    EXPECT_TRUE(Exists(Documents() + "\\" + c.kept)) << c.item;
    EXPECT_TRUE(std::any_of(clean.raw_lines.begin(), clean.raw_lines.end(),
                            [&](const std::string& line) {
                              return line.find("skipping " + c.folder) != std::string::npos;
                            }))
        << c.item;
    ASSERT_TRUE(files().RemoveFolder(c.folder).ok());
  }
}

TEST_F(BrowserCleanersTest, WithoutItsFoldersABrowserTouchesNothing) {
  // Opera's cache in the local folder alone: nothing without the roaming Opera folder.
  PutFile(OperaLocal() + "\\Opera\\profile\\cache4\\x");
  EXPECT_EQ(TestThenClean("Opera - Temporary Internet Files").count, 0);
  EXPECT_TRUE(Exists(OperaLocal() + "\\Opera\\profile\\cache4\\x"));
  // The real machine's shell folders stay as they are.
  if (!machine().IsEmulated()) return;
  const std::string chrome = Chrome();
  PutFile(chrome + "\\Cookies");
  PutFile(chrome + "\\Cache\\x");
  ASSERT_TRUE(registry().DeleteValue(kUser, kShellFolders, "Local AppData").ok());
  for (const char* item : {"Google Chrome - Cookies", "Google Chrome - Temporary Internet Files"})
    EXPECT_EQ(TestThenClean(item).count, 0) << item;
  EXPECT_TRUE(Exists(chrome + "\\Cookies"));
  EXPECT_TRUE(Exists(chrome + "\\Cache\\x"));
}

}  // namespace
}  // namespace morvel::cleaners_test
