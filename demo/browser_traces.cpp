#include "demo/browser_traces.h"

#include <initializer_list>
#include <string>

#include "demo/files.h"
#include "stores/sqlite_database.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

void WriteDatabase(const fs::path& file, std::initializer_list<const char*> statements) {
  WriteBytes(file, "");
  stores::TSQLiteDatabase db(file.string());
  for (const char* sql : statements) db.RunStatement(sql);
}

// A Firefox history: pages, their visits and a bookmark on the first page.
void WritePlaces(const fs::path& file, const char* site) {
  const std::string insert_places =
      std::string("INSERT INTO moz_places (url, title) VALUES ('http://") + site +
      "/', 'Home'), ('http://" + site + "/news', 'News')";
  WriteDatabase(file,
                {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT)",
                 "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, "
                 "visit_date INTEGER)",
                 "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, fk INTEGER, title TEXT)",
                 "INSERT INTO moz_bookmarks (fk, title) VALUES (1, 'Home')"});
  stores::TSQLiteDatabase db(file.string());
  db.RunStatement(insert_places);
  db.RunStatement(
      "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (1, 1291939200000000), "
      "(2, 1291939260000000), (1, 1292025600000000)");
}

void WriteCookies(const fs::path& file) {
  WriteDatabase(file, {"CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, host TEXT)",
                       "INSERT INTO moz_cookies (name, host) VALUES ('session', '.example.com')"});
}

void WriteFirefox(const fs::path& roaming, const fs::path& local) {
  const fs::path firefox = roaming / "Mozilla" / "Firefox";
  WriteBytes(firefox / "profiles.ini",
             Crlf("[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\n"
                  "IsRelative=1\nPath=Profiles/k3x9f2ab.default\nDefault=1\n"));
  const fs::path profiles = firefox / "Profiles";
  // The old default profile, from before Firefox 3: text cookies and a history.dat too.
  const fs::path first = profiles / "k3x9f2ab.default";
  WritePlaces(first / "places.sqlite", "www.example.com");
  WriteCookies(first / "cookies.sqlite");
  WriteBytes(first / "cookies.txt",
             Crlf("# HTTP Cookie File\n.example.com\tTRUE\t/\tFALSE\t0\tid\t42\n"));
  WriteBytes(first / "Cookies-old.TXT", Crlf("# HTTP Cookie File\n"));
  WriteBytes(first / "history.dat", Filler(4000, 3));
  WriteBytes(first / "downloads.rdf", Filler(900, 4));
  WriteDatabase(first / "downloads.sqlite",
                {"CREATE TABLE moz_downloads (id INTEGER PRIMARY KEY, name TEXT)",
                 "INSERT INTO moz_downloads (name) VALUES ('setup.exe')"});
  WriteBytes(first / "signons3.txt", Filler(700, 5));
  WriteDatabase(
      first / "formhistory.sqlite",
      {"CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT, value TEXT)",
       "INSERT INTO moz_formhistory (fieldname, value) VALUES ('q', 'holiday photos')"});
  WriteBytes(first / "prefs.js",
             Crlf("user_pref(\"browser.startup.homepage\", \"about:home\");\n"));
  WriteBytes(first / "bookmarks.html", Crlf("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
  WriteBytes(first / "Cache" / "_CACHE_MAP_", Filler(4096, 6));
  WriteBytes(first / "Cache" / "0" / "A1" / "2B3C4d01", Filler(12000, 7));
  // Today's default profile.
  const fs::path second = profiles / "q7m2p0zz.default-release";
  WritePlaces(second / "places.sqlite", "news.example.org");
  WriteCookies(second / "cookies.sqlite");
  WriteBytes(second / "prefs.js",
             Crlf("user_pref(\"browser.download.dir\", \"C:\\\\Downloads\");\n"));
  // A profile that is not a default one: its history stays.
  const fs::path work = profiles / "r8t1x0qa.work";
  WritePlaces(work / "places.sqlite", "intranet.example.net");
  WriteBytes(work / "user.js", Crlf("user_pref(\"browser.startup.page\", 3);\n"));
  // The disk caches of Firefox on Vista and later.
  const fs::path local_profiles = local / "Mozilla" / "Firefox" / "Profiles";
  WriteBytes(local_profiles / "k3x9f2ab.default" / "Cache" / "_CACHE_001_", Filler(16384, 8));
  WriteBytes(local_profiles / "q7m2p0zz.default-release" / "Cache" / "7" / "F0" / "9A8B7c01",
             Filler(30000, 9));
  WriteBytes(local_profiles / "q7m2p0zz.default-release" / "cache2" / "entries" / "A1B2C3",
             Filler(2000, 10));
}

void WriteChrome(const fs::path& local) {
  const fs::path profile = local / "Google" / "Chrome" / "User Data" / "Default";
  WriteBytes(profile / "Cache" / "index", Filler(8192, 11));
  WriteBytes(profile / "Cache" / "data_0", Filler(45056, 12));
  WriteBytes(profile / "Cache" / "f_000001", Filler(20000, 13));
  WriteDatabase(profile / "Cookies",
                {"CREATE TABLE cookies (creation_utc INTEGER, host_key TEXT, name TEXT)",
                 "INSERT INTO cookies VALUES (12900000000000000, '.example.com', 'id')"});
  WriteDatabase(profile / "History", {"CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT)",
                                      "CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER)",
                                      "INSERT INTO urls (url) VALUES ('http://www.example.com/')",
                                      "INSERT INTO visits (url) VALUES (1)"});
  WriteBytes(profile / "Archived History", Filler(10240, 14));
  WriteBytes(profile / "Current Session", Filler(3000, 15));
  WriteBytes(profile / "Thumbnails", Filler(6000, 16));
  WriteBytes(profile / "History Index 2010-05", Filler(8000, 17));
  WriteBytes(profile / "History Index 2010-06", Filler(9000, 18));
  WriteDatabase(profile / "Web Data",
                {"CREATE TABLE logins (origin_url TEXT, username_value TEXT, password_value BLOB)",
                 "CREATE TABLE autofill (name TEXT, value TEXT)",
                 "INSERT INTO logins VALUES ('http://mail.example.com/', 'user', x'0102')",
                 "INSERT INTO autofill VALUES ('q', 'holiday photos')"});
  WriteBytes(profile / "Bookmarks", Crlf("{ \"roots\": {} }\n"));
  WriteBytes(profile / "Preferences", Crlf("{ \"homepage\": \"http://www.example.com/\" }\n"));
}

void WriteOpera(const fs::path& roaming, const fs::path& local) {
  const fs::path opera = roaming / "Opera" / "Opera";
  WriteBytes(opera / "profile" / "cookies4.dat", Filler(2500, 19));
  WriteBytes(opera / "profile" / "global.dat", Filler(5200, 20));
  WriteBytes(opera / "profile" / "vlink4.dat", Filler(1800, 21));
  WriteBytes(opera / "profile" / "sessions" / "autosave.win", Filler(2200, 22));
  WriteBytes(opera / "profile" / "opera.dir", Filler(600, 23));
  WriteBytes(opera / "profile" / "typed_history.xml", Crlf("<typed_history></typed_history>\n"));
  WriteBytes(opera / "profile" / "download.dat", Filler(1200, 24));
  WriteBytes(opera / "profile" / "wand.dat", Filler(900, 25));
  WriteBytes(opera / "profile" / "opera6.ini", Crlf("[User Prefs]\nLanguage=en\n"));
  WriteBytes(opera / "profile" / "cache4" / "dcache4.url", Filler(3000, 26));
  WriteBytes(opera / "profile" / "cache4" / "g_0000" / "opr00001.tmp", Filler(7000, 27));
  WriteBytes(local / "Opera" / "Opera" / "profile" / "cache4" / "opr00002.tmp", Filler(11000, 28));
}

void WriteNetscape(const fs::path& roaming) {
  const fs::path profiles = roaming / "Netscape" / "NSB" / "Profiles";
  const fs::path profile = profiles / "pbzik8cu.default";
  WriteBytes(profile / "cookies.txt", Crlf("# HTTP Cookie File\n"));
  WriteBytes(profile / "history.dat", Filler(3500, 29));
  WriteBytes(profile / "formhistory.dat", Filler(1500, 30));
  WriteBytes(profile / "prefs.js", Crlf("user_pref(\"browser.startup.page\", 1);\n"));
  WriteBytes(profile / "bookmarks.html", Crlf("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
  WriteBytes(profile / "Cache" / "_CACHE_MAP_", Filler(4096, 31));
  WriteBytes(profile / "Cache" / "1" / "0A" / "1A2B3d01", Filler(9000, 32));
  // Another default profile: only the one the browser made first is cleaned.
  WriteBytes(profiles / "x1y2z3w4.default" / "cookies.txt", Crlf("# HTTP Cookie File\n"));
}

}  // namespace

void WriteDemoBrowserFiles(const fs::path& c) {
  const fs::path app_data = c / "Users" / "User" / "AppData";
  WriteFirefox(app_data / "Roaming", app_data / "Local");
  WriteChrome(app_data / "Local");
  WriteOpera(app_data / "Roaming", app_data / "Local");
  WriteNetscape(app_data / "Roaming");
}

}  // namespace morvel::cli
