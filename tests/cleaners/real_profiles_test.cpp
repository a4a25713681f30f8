// The Firefox and Chrome items on profiles that the real browsers wrote
// (tests/data/browser-profiles), copied to where Windows keeps them: each item's Test then
// Clean takes exactly its named files, and the history step leaves every database whole
// with only the visits gone.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "tests/cleaners/browser_fixture.h"

namespace morvel::cleaners_test {
namespace {

namespace fs = std::filesystem;

fs::path DataFolder(const char* name) {
  return fs::path(MORVEL_SOURCE_DIR) / "tests" / "data" / "browser-profiles" / name;
}

class RealProfilesTest : public BrowserTest {
 protected:
  // Copies the data folder's files below `target` (a machine folder); returns each file's
  // size by its path relative to the folder, written with "\".
  std::map<std::string, std::uint64_t> CopyIn(const char* data, const std::string& target) {
    std::map<std::string, std::uint64_t> sizes;
    for (const auto& entry : fs::recursive_directory_iterator(DataFolder(data))) {
      if (!entry.is_regular_file()) continue;
      std::string relative = entry.path().lexically_relative(DataFolder(data)).generic_string();
      for (char& c : relative)
        if (c == '/') c = '\\';
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), {});
      WriteAt(target + "\\" + relative, bytes);
      sizes[relative] = bytes.size();
    }
    return sizes;
  }

  // Rows of every table of the database.
  std::map<std::string, int> TableRows(const std::string& path) {
    std::map<std::string, int> rows;
    HeldDatabase held(files(), path);
    stores::TSQLiteDatabase& db = held.db;
    const auto tables = db.QueryTable("SELECT name FROM sqlite_master WHERE type = 'table'");
    for (std::int32_t i = 0; i < tables->RowCount(); ++i) {
      const std::string name = std::get<std::string>(tables->Cell(i, 0));
      rows[name] = db.QueryTable("SELECT 1 FROM \"" + name + "\"")->RowCount();
    }
    return rows;
  }

  // Test then Clean of the item: it takes exactly `removed` (relative to `base`).
  void ExpectRemoves(const char* item, const std::string& base,
                     const std::map<std::string, std::uint64_t>& sizes,
                     const std::vector<std::string>& removed) {
    // Cache files logged, so that Test and Clean write the same lines.
    const Outcome clean =
        TestThenClean(item, [](TOptionsSetting& s) { s.ShowLogTempInternetFiles = true; });
    std::uint64_t bytes = 0;
    for (const std::string& name : removed) {
      bytes += sizes.at(name);
      EXPECT_FALSE(Exists(base + "\\" + name)) << item << ": " << name;
    }
    EXPECT_EQ(clean.count, static_cast<std::int32_t>(removed.size())) << item;
    EXPECT_EQ(clean.bytes, bytes) << item;
  }
};

TEST_F(RealProfilesTest, FirefoxItemsOnAProfileFirefoxWrote) {
  const std::string profile = Firefox() + "\\m0rv3l01.default-esr";
  const auto sizes = CopyIn("firefox/m0rv3l01.default-esr", profile);
  const std::string local = FirefoxLocal() + "\\m0rv3l01.default-esr";
  const auto local_sizes = CopyIn("firefox-local/m0rv3l01.default-esr", local);
  const std::string places = profile + "\\places.sqlite";
  std::map<std::string, int> rows = TableRows(places);
  ASSERT_GT(rows["moz_historyvisits"], 0);
  ASSERT_GT(rows["moz_places"], 0);

  ExpectRemoves("Mozilla Firefox - Visited URL History", profile, sizes, {});
  rows["moz_historyvisits"] = 0;
  EXPECT_EQ(TableRows(places), rows);
  ExpectRemoves("Mozilla Firefox - Cookies", profile, sizes, {"cookies.sqlite"});
  ExpectRemoves("Mozilla Firefox - Preferences", profile, sizes, {"prefs.js"});
  for (const char* item :
       {"Mozilla Firefox - Download Manager", "Mozilla Firefox - Autocomplete History",
        "Mozilla Firefox - Saved Form Information"})
    ExpectRemoves(item, profile, sizes, {});
  // Today's disk cache, "cache2" below the local profile, goes; the folder stays.
  std::vector<std::string> cache2;
  for (const auto& [name, size] : local_sizes) cache2.push_back(name);
  ASSERT_FALSE(cache2.empty());
  ExpectRemoves("Mozilla Firefox - Temporary Internet Files", local, local_sizes, cache2);
  EXPECT_TRUE(Exists(local + "\\cache2"));
  for (const auto& [name, size] : sizes) {
    if (name.ends_with(".sqlite") && name != "cookies.sqlite") {
      EXPECT_EQ(Integrity(files(), profile + "\\" + name), "ok") << name;
    }
  }
}

TEST_F(RealProfilesTest, ChromeItemsOnAProfileChromiumWrote) {
  const std::string profile = Chrome();
  const auto sizes = CopyIn("chromium/Default", profile);
  std::vector<std::string> cache;
  for (const auto& [name, size] : sizes)
    if (name.starts_with("Cache\\")) cache.push_back(name);
  ASSERT_FALSE(cache.empty());
  const std::map<std::string, int> web_data = TableRows(profile + "\\Web Data");

  ExpectRemoves("Google Chrome - Temporary Internet Files", profile, sizes, cache);
  EXPECT_TRUE(Exists(profile + "\\Cache"));
  ExpectRemoves("Google Chrome - Cookies", profile, sizes, {"Cookies"});
  ExpectRemoves("Google Chrome - Visited URL History", profile, sizes, {"History"});
  ExpectRemoves("Google Chrome - Stored passwords in Forms", profile, sizes, {});
  // Passwords moved to "Login Data" long ago: the old place has no logins table to empty.
  EXPECT_EQ(TableRows(profile + "\\Web Data"), web_data);
  EXPECT_EQ(TableRows(profile + "\\Login Data")["logins"], 0);
  for (const char* name : {"Web Data", "Login Data", "Favicons", "Top Sites"})
    EXPECT_EQ(Integrity(files(), profile + "\\" + name), "ok") << name;
}

}  // namespace
}  // namespace morvel::cleaners_test
