// The demo image's traces against the shipped definitions: every item the shipped file
// cleans finds its traces in a Test run, a Clean removes them all, and what the same
// programs keep that is no trace (settings, sessions, program files) stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "cli/commands.h"
#include "common/text.h"
#include "demo/image.h"
#include "engine/item_table.h"
#include "platform/emulated/machine.h"
#include "stores/sqlite_database.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

class NoQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question&) override {
    ADD_FAILURE() << "an unattended run asked a question";
    return platform::Answer::No;
  }
};

// Item keys whose sections the demo gives traces, and the programs' things that stay.
const std::vector<std::string> kItems = {
    "Windows - Windows Log Files",
    "Advanced - Google Toolbar History",
    "Applications - 7-Zip",
    "Applications - Adobe Flash Player",
    "Applications - FileZilla",
    "Applications - MPC-HC",
    "Applications - Microsoft Office",
    "Applications - Pidgin",
    "Applications - TeamViewer",
    "Applications - VLC media player",
    "Applications - WinRAR",
    "Applications - PuTTY",
    "Applications - Acrobat Reader",
    "Applications - WinZip",
    "Custom Lists - <New List>",
};

const std::vector<std::string> kKeptFiles = {
    "Windows/inf/usb.inf",
    "Windows/system32/drivers/etc/hosts",
    "Program Files/TeamViewer/TeamViewer.exe",
    "Users/User/AppData/Roaming/vlc/vlcrc",
    "Users/User/AppData/Roaming/FileZilla/sitemanager.xml",
    "Users/User/AppData/Roaming/.purple/accounts.xml",
    "Users/User/AppData/Roaming/Macromedia/Flash Player/macromedia.com/support/flashplayer/sys/"
    "settings.sol",
    "Users/User/Desktop/shopping.txt",
    "Users/User/Documents/taxes.7z",
};

// Registry lines that must survive the Clean (the file is UTF-16LE, read back as UTF-8).
const std::vector<std::string> kKeptRegistryLines = {
    "\"Level\"=dword:00000005",
    "\"ShowDots\"=dword:00000000",
    "[HKEY_CURRENT_USER\\Software\\SimonTatham\\PuTTY\\Sessions\\backup-server]",
    "\"HostName\"=\"backup.example.org\"",
    "\"Theme\"=\"blue\"",
    "\"DisplayName\"=\"WinZip 24.0\"",
};

class DemoTraces : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
  }

  // The item counts of one run: header line's key -> count of its summary line.
  std::map<std::string, long> Run(bool clean, const std::vector<std::string>& keys = kItems) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    NoQuestions questions;
    platform::Port port = platform::PortOf(*machine, questions);
    std::ostringstream out, err;
    const Streams io{out, err, false};
    const int status = clean ? CleanCommand(port, keys, true, io) : TestCommand(port, keys, io);
    EXPECT_EQ(status, 0) << err.str();
    machine->Save();

    std::map<std::string, long> counts;
    std::istringstream lines(out.str());
    std::string key;
    for (std::string line; std::getline(lines, line);) {
      const std::string header = clean ? "Clean: Clearing " : "Test: Clearing ";
      if (line.rfind(header, 0) == 0 && line.size() > header.size() + 4) {
        key = line.substr(header.size(), line.size() - header.size() - 4);  // drop " ..."
      } else if (!key.empty() && line.find(" items ") != std::string::npos) {
        counts[key] = std::stol(line);
        key.clear();
      }
    }
    return counts;
  }

  std::string RegistryText() const {
    std::ifstream in(dir / "registry.reg", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    return Utf16LeBytesToUtf8(bytes.substr(2));
  }

  morvel::testing::TempImage image{"demo-traces"};
  const fs::path& dir = image.path();
};

TEST_F(DemoTraces, EveryItemFindsItsTracesAndCleanRemovesThem) {
  const auto found = Run(false);
  for (const std::string& key : kItems) {
    ASSERT_TRUE(found.count(key)) << key;
    EXPECT_GT(found.at(key), 0) << key;
  }
  const auto removed = Run(true);
  EXPECT_EQ(removed, found);  // the Clean counts what the Test found
  for (const auto& [key, count] : Run(false)) EXPECT_EQ(count, 0) << key;

  for (const std::string& file : kKeptFiles)
    EXPECT_TRUE(fs::exists(dir / "drives" / "C" / fs::path(file))) << file;
  const std::string registry = RegistryText();
  for (const std::string& line : kKeptRegistryLines)
    EXPECT_NE(registry.find(line), std::string::npos) << line;
  EXPECT_EQ(registry.find("MPC-HC\\Recent File List"), std::string::npos);
  EXPECT_EQ(registry.find("cRecentFiles"), std::string::npos);
}

// Rows left in a table of one of the image's databases.
long Rows(const fs::path& database, const std::string& table) {
  stores::TSQLiteDatabase db(database.string());
  return db.QueryTable("SELECT 1 FROM " + table)->RowCount();
}

TEST_F(DemoTraces, EveryBrowserItemFindsItsTracesAndCleanRemovesThem) {
  std::vector<std::string> keys;
  for (const CategoryRow& category : ItemTable())
    if (category.text == "Mozilla Firefox" || category.text == "Google Chrome" ||
        category.text == "Opera" || category.text == "Netscape")
      for (const ItemRow& item : category.items)
        keys.push_back(std::string(category.text) + " - " + std::string(item.text));
  ASSERT_EQ(keys.size(), 22u);
  const std::string passwords = "Google Chrome - Stored passwords in Forms";
  const auto found = Run(false, keys);
  for (const std::string& key : keys) EXPECT_EQ(found.at(key) > 0, key != passwords) << key;
  EXPECT_EQ(Run(true, keys), found);
  for (const auto& [key, count] : Run(false, keys)) EXPECT_EQ(count, 0) << key;

  const fs::path app_data = dir / "drives" / "C" / "Users" / "User" / "AppData";
  const fs::path profiles = app_data / "Roaming" / "Mozilla" / "Firefox" / "Profiles";
  for (const char* profile : {"k3x9f2ab.default", "q7m2p0zz.default-release", "r8t1x0qa.work"}) {
    const bool is_default = std::string(profile).find(".default") != std::string::npos;
    EXPECT_EQ(Rows(profiles / profile / "places.sqlite", "moz_historyvisits"), is_default ? 0 : 3);
    EXPECT_EQ(Rows(profiles / profile / "places.sqlite", "moz_places"), 2) << profile;
  }
  const fs::path chrome = app_data / "Local" / "Google" / "Chrome" / "User Data" / "Default";
  EXPECT_EQ(Rows(chrome / "Web Data", "logins"), 0);
  EXPECT_EQ(Rows(chrome / "Web Data", "autofill"), 1);
  for (const fs::path& kept :
       {profiles / "k3x9f2ab.default" / "bookmarks.html", profiles / ".." / "profiles.ini",
        chrome / "Bookmarks", chrome / "Cache",
        app_data / "Local" / "Mozilla" / "Firefox" / "Profiles" / "q7m2p0zz.default-release" /
            "cache2",
        app_data / "Roaming" / "Opera" / "Opera" / "profile" / "opera6.ini",
        app_data / "Roaming" / "Netscape" / "NSB" / "Profiles" / "x1y2z3w4.default" /
            "cookies.txt"})
    EXPECT_TRUE(fs::exists(kept)) << kept;
}

// The programs of today the demo image holds, through the community's definitions: each
// item finds its traces, a Clean removes what the Test found, and what the programs keep
// that is no trace (settings, bookmarks, offline songs, the game library) stays.
TEST_F(DemoTraces, EveryCommunityItemFindsItsTracesAndCleanRemovesThem) {
  WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat",
                 fs::path(MORVEL_SOURCE_DIR) / "data" / "winapp2" / "Winapp2.ini");
  const std::vector<std::string> keys = {
      "Applications - Microsoft Teams",
      "Applications - Microsoft VS Code",
      "Applications - Slack",
      "Internet - Discord",
      "Internet - Telegram Desktop",
      "Internet - Zoom",
      "Multimedia - Spotify",
      "Multimedia - OBS Studio",
      "Games - Steam",
      "Brave Web Browser - Brave Caches",
      "Microsoft Edge Web Browser - Microsoft Edge Caches",
      "Vivaldi Web Browser - Vivaldi Caches",
  };
  {
    // What the catalogue reads, detects and offers of the shipped file on the demo image.
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    NoQuestions questions;
    platform::Port port = platform::PortOf(*machine, questions);
    const app::ProgramState state = app::LoadProgramState(port);
    std::cout << state.community->definitions().entries.size() << " entries, "
              << state.community->detected() << " detected, " << state.community->offered()
              << " offered on the demo image\n";
    for (const std::string& key : keys) EXPECT_TRUE(state.community->Find(key)) << key;
  }
  const auto found = Run(false, keys);
  for (const std::string& key : keys) {
    ASSERT_TRUE(found.count(key)) << key;
    EXPECT_GT(found.at(key), 0) << key;
  }
  EXPECT_EQ(Run(true, keys), found);
  for (const auto& [key, count] : Run(false, keys)) EXPECT_EQ(count, 0) << key;

  const fs::path user = dir / "drives" / "C" / "Users" / "User";
  const fs::path roaming = user / "AppData" / "Roaming", local = user / "AppData" / "Local";
  for (const fs::path& kept :
       {local / "BraveSoftware" / "Brave-Browser" / "User Data" / "Default" / "Bookmarks",
        local / "Microsoft" / "Edge" / "User Data" / "Default" / "Preferences",
        roaming / "discord" / "settings.json", roaming / "Code" / "User" / "settings.json",
        local / "Spotify" / "Storage" / "4f" / "offline-song.file", roaming / "Spotify" / "prefs",
        dir / "drives" / "C" / "Program Files" / "Steam" / "steamapps" / "common" / "Portal" /
            "portal.exe",
        roaming / "Zoom" / "data" / "Zoom.us.ini",
        roaming / "Telegram Desktop" / "tdata" / "key_datas",
        roaming / "obs-studio" / "plugin_config" / "obs-browser" / "LocalPrefs.json",
        roaming / "obs-studio" / "basic" / "scenes" / "Untitled.json",
        roaming / "Slack" / "storage" / "root-state.json",
        roaming / "Microsoft" / "Teams" / "desktop-config.json"})
    EXPECT_TRUE(fs::exists(kept)) << kept;
  for (const fs::path& gone :
       {roaming / "discord" / "Cache" / "Cache_Data" / "f_00002a",
        local / "Spotify" / "Data" / "ab" / "abcdef.file",
        dir / "drives" / "C" / "Program Files" / "Steam" / "logs" / "content_log.txt"})
    EXPECT_FALSE(fs::exists(gone)) << gone;
}

}  // namespace
}  // namespace morvel::cli
