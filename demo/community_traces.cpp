#include "demo/community_traces.h"

#include "demo/files.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

// What Discord and Steam leave in the registry: the community's entries detect them so.
constexpr const char* kRegistry = R"reg(
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Discord]
"DisplayName"="Discord"
"Publisher"="Discord Inc."

[HKEY_CURRENT_USER\Software\Valve\Steam]
"AutoLoginUser"="demo_player"
"Language"="english"

)reg";

// A browser of Chromium's kind: its caches and visit history (traces), its bookmarks and
// preferences (kept).
void WriteChromiumProfile(const fs::path& user_data, char seed) {
  const fs::path profile = user_data / "Default";
  WriteBytes(profile / "Cache" / "Cache_Data" / "data_0", Filler(8192, seed));
  WriteBytes(profile / "Cache" / "Cache_Data" / "f_000001", Filler(45000, seed + 1));
  WriteBytes(profile / "Code Cache" / "js" / "index", Filler(24, seed + 2));
  WriteBytes(profile / "GPUCache" / "data_1", Filler(4096, seed + 3));
  WriteBytes(profile / "History", Filler(20480, seed + 4));
  WriteBytes(profile / "Visited Links", Filler(2048, seed + 5));
  WriteBytes(profile / "Bookmarks", "{\"roots\": {\"bookmark_bar\": {\"children\": []}}}\n");
  WriteBytes(profile / "Preferences", "{\"browser\": {\"show_home_button\": true}}\n");
  WriteBytes(user_data / "Local State", "{\"profile\": {\"info_cache\": {}}}\n");
}

}  // namespace

std::string DemoCommunityRegistry() { return kRegistry; }

void WriteDemoCommunityFiles(const fs::path& c) {
  const fs::path user = c / "Users" / "User";
  const fs::path roaming = user / "AppData" / "Roaming";
  const fs::path local = user / "AppData" / "Local";
  const fs::path program_files = c / "Program Files";

  WriteChromiumProfile(local / "Microsoft" / "Edge" / "User Data", 1);
  WriteChromiumProfile(local / "BraveSoftware" / "Brave-Browser" / "User Data", 7);
  WriteChromiumProfile(local / "Vivaldi" / "User Data", 13);

  // Discord: caches and logs go; the user's settings stay.
  WriteBytes(roaming / "discord" / "Cache" / "Cache_Data" / "f_00002a", Filler(30000, 2));
  WriteBytes(roaming / "discord" / "Code Cache" / "js" / "index", Filler(24, 3));
  WriteBytes(roaming / "discord" / "logs" / "renderer_js.log", Crlf("[Info] ready\n"));
  WriteBytes(roaming / "discord" / "Local Storage" / "leveldb" / "LOG", Crlf("leveldb\n"));
  WriteBytes(roaming / "discord" / "settings.json", "{\"IS_MAXIMIZED\": false}\n");
  WriteBytes(local / "Discord" / "SquirrelSetup.log", Crlf("Checking for updates\n"));
  WriteBytes(local / "Discord" / "Update.exe", Filler(2048, 4));

  // Visual Studio Code: its GPU cache and local storage; the user's settings stay.
  WriteBytes(roaming / "Code" / "GPUCache" / "data_0", Filler(8192, 5));
  WriteBytes(roaming / "Code" / "Local Storage" / "state.vscdb.tmp", Filler(1024, 6));
  WriteBytes(roaming / "Code" / "Cookies", Filler(2048, 7));
  WriteBytes(roaming / "Code" / "User" / "settings.json", "{\"editor.fontSize\": 14}\n");

  // Spotify: its logs, cache and temporary data; the offline songs under Storage stay (the
  // entry's own exclusion), and so does the user's profile.
  WriteBytes(roaming / "Spotify" / "Spotify.log", Crlf("started\n"));
  WriteBytes(roaming / "Spotify" / "prefs", "app.autostart-mode=\"off\"\n");
  WriteBytes(local / "Spotify" / "Data" / "ab" / "abcdef.file", Filler(60000, 8));
  WriteBytes(local / "Spotify" / "Browser" / "Cache" / "index", Filler(512, 9));
  WriteBytes(local / "Spotify" / "Storage" / "4f" / "offline-song.file", Filler(90000, 10));

  // Steam: logs and caches under Program Files; the game library and Steam itself stay.
  const fs::path steam = program_files / "Steam";
  WriteBytes(steam / "logs" / "content_log.txt", Crlf("AppID 440 update started\n"));
  WriteBytes(steam / "logs" / "connection_log.txt", Crlf("connected\n"));
  WriteBytes(steam / "steam.log", Crlf("Steam started\n"));
  WriteBytes(steam / "appcache" / "httpcache" / "3a" / "3a7f", Filler(5000, 11));
  WriteBytes(steam / "steam.exe", Filler(4096, 12));
  WriteBytes(steam / "steamapps" / "common" / "Portal" / "portal.exe", Filler(4096, 13));

  // Zoom: its logs and reports; its settings stay.
  WriteBytes(roaming / "Zoom" / "logs" / "zoom_stdout_stderr.log", Crlf("meeting joined\n"));
  WriteBytes(roaming / "Zoom" / "Reports" / "crash-2024.dmp", Filler(3000, 14));
  WriteBytes(roaming / "Zoom" / "data" / "Zoom.us.ini", "[ZoomChat]\r\nlanguage=en\r\n");

  // Slack: caches and logs; its saved workspace stays.
  WriteBytes(roaming / "Slack" / "Cache" / "Cache_Data" / "f_000010", Filler(12000, 15));
  WriteBytes(roaming / "Slack" / "logs" / "browser.log", Crlf("ready\n"));
  WriteBytes(roaming / "Slack" / "storage" / "root-state.json", "{\"workspaces\": []}\n");

  // Telegram Desktop: its log and crash dumps; the keys of the signed-in account stay.
  WriteBytes(roaming / "Telegram Desktop" / "log.txt", Crlf("Launched version: 4.8.1\n"));
  WriteBytes(roaming / "Telegram Desktop" / "tdata" / "dumps" / "crash.dmp", Filler(8000, 16));
  WriteBytes(roaming / "Telegram Desktop" / "tdata" / "key_datas", Filler(328, 17));

  // OBS Studio: logs and the browser source's cache, except its LocalPrefs.json (the entry's
  // own exclusion); the scene collections stay.
  const fs::path obs = roaming / "obs-studio";
  WriteBytes(obs / "logs" / "2024-05-01 20-15-00.txt", Crlf("OBS 30.1.2\n"));
  WriteBytes(obs / "plugin_config" / "obs-browser" / "Cache" / "data_0", Filler(4096, 18));
  WriteBytes(obs / "plugin_config" / "obs-browser" / "LocalPrefs.json", "{}\n");
  WriteBytes(obs / "basic" / "scenes" / "Untitled.json", "{\"name\": \"Untitled\"}\n");

  // Microsoft Teams (the classic one): caches and logs; its desktop configuration stays.
  const fs::path teams = roaming / "Microsoft" / "Teams";
  WriteBytes(local / "Microsoft" / "Teams" / "Update.exe", Filler(2048, 19));
  WriteBytes(teams / "logs.txt", Crlf("app ready\n"));
  WriteBytes(teams / "Cache" / "f_000003", Filler(7000, 20));
  WriteBytes(teams / "desktop-config.json", "{\"appPreferenceSettings\": {}}\n");
}

}  // namespace morvel::cli
