// The item table: each built-in item as the rows of actions it is, in the order its steps
// run. What only a format's own code can do is a special step (special_steps.h).

#include "engine/item_table.h"

#include <initializer_list>
#include <string>

namespace morvel {

namespace {

using platform::RootKey;

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kExplorer = kCurrentVersion + "\\Explorer";
const std::string kInternetExplorer = "Software\\Microsoft\\Internet Explorer";
const std::string kSearchBar =
    kInternetExplorer + "\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}";

// `where` and the sub-folders `names` below it, one below the other.
Where Then(Where where, std::initializer_list<const char*> names) {
  for (const char* name : names) where = morvel::Then(std::move(where), Named({name}));
  return where;
}
using morvel::Then;

Action Key(std::string path) { return KeyAction(RootKey::CurrentUser, std::move(path)); }

Action Value(std::string path, std::string name) {
  return ValueAction(RootKey::CurrentUser, std::move(path), std::move(name));
}

// The files matching each mask in turn; never a folder.
Action Files(Where where, std::vector<Mask> masks, Depth depth) {
  return FolderAction(std::move(where), std::move(masks), depth);
}

// Everything inside the folder, which stays; its emptied sub-folders go.
Action Emptied(Where where, LogClass log = LogClass::Always) {
  CleanFolder clean = FolderAction(std::move(where));
  clean.log = log;
  return clean;
}

Action Step(SpecialStep step, Where where = {}) { return SpecialAction(step, std::move(where)); }

// "Clearing, please wait..." in a Clean that does not show the files of `log`.
Action Notice(LogClass log) {
  Special notice = SpecialAction(SpecialStep::ClearingNotice);
  notice.log = log;
  return notice;
}

Action Database(Where where, std::string file, std::string table) {
  return SpecialAction(SpecialStep::DatabaseTable, std::move(where), std::move(file),
                       std::move(table));
}

Mask AnyCase(std::string name) { return Mask(std::move(name), true); }

ItemRow ByDefinitions(std::string_view text) { return {text, {}, Service::Definitions}; }

// --- Internet Explorer -----------------------------------------------------------------

std::vector<ItemRow> InternetExplorerRows() {
  CleanFolder cache = FolderAction(Below(Anchor::InternetCache));
  cache.log = LogClass::TempInternetFiles;
  // A Test leaves the cache's index out; a Clean tries it too and counts it when it went.
  cache.keep.names = {"index.dat"};
  cache.keep.names_in_test_only = true;
  return {
      {"Recently Typed URLs",
       {Step(SpecialStep::TypedUrlLines), Key(kInternetExplorer + "\\TypedURLs"),
        Key(kSearchBar + "\\FilesNamedMRU"), Key(kSearchBar + "\\ContainingTextMRU")}},
      {"Cookies", {Step(SpecialStep::IeCookies)}},
      {"Visited URL History",
       {Step(SpecialStep::UrlHistory), Step(SpecialStep::UrlCache),
        Step(SpecialStep::HistoryFolders)}},
      {"Last Download Location", {Value(kInternetExplorer, "Download Directory")}},
      {"Temporary Internet Files",
       {Notice(LogClass::TempInternetFiles), cache,
        SpecialAction(SpecialStep::IndexDatWipe, Below(Anchor::InternetCache, {"Content.IE5"}),
                      "index.dat")}},
      {"Index.dat Files", {Step(SpecialStep::IndexDatFiles)}},
      {"Autocomplete History", {Step(SpecialStep::IeAutocomplete)}},
  };
}

// --- Windows ---------------------------------------------------------------------------

std::vector<ItemRow> WindowsRows() {
  return {
      {"Recent Documents",
       {Key(kExplorer + "\\RecentDocs"),
        Files(Below(Anchor::Recent), {{"*.*"}}, Depth::ThisFolder)}},
      {"Start Run", {Key(kExplorer + "\\RunMRU")}},
      {"Search Assistant", {Key("Software\\Microsoft\\Search Assistant\\ACMru")}},
      {"Empty Recycle Bin", {Notice(LogClass::RecycleBin), Step(SpecialStep::RecycleBin)}},
      {"Temporary Files", {Emptied(Below(Anchor::Temp))}},
      {"Clipboard", {Step(SpecialStep::Clipboard)}},
      // Windows' own memory.dmp, whatever letter case it has, and the *.dmp of MiniDump.
      {"Memory Dumps",
       {Files(Below(Anchor::Windows), {AnyCase("memory.dmp")}, Depth::ThisFolder),
        Files(Below(Anchor::Windows, {"MiniDump"}), {{"*.dmp"}}, Depth::ThisFolder)}},
      {"Chkdsk File Fragments", {Files(Below(Anchor::System), {{"File*.chk"}}, Depth::ThisFolder)}},
      ByDefinitions("Windows Log Files"),
  };
}

// --- Netscape, Opera, Firefox, Chrome ----------------------------------------------------

std::vector<ItemRow> NetscapeRows() {
  // One profile, chosen anew for every item: the usual "pbzik8cu.default" when it is there,
  // else the first whose path holds ".default". Only its own files, not its sub-folders'.
  const Where profile = Then(Below(Anchor::AppData, {"Netscape", "NSB", "Profiles"}),
                             FirstFolder({"pbzik8cu.default"}, ".default"));
  const auto files = [&profile](const char* mask) {
    return Files(profile, {{mask}}, Depth::ThisFolder);
  };
  return {
      {"Cookies", {files("cookies*.txt")}},
      {"Visited URL History", {files("history.dat")}},
      {"Temporary Internet Files",
       {Notice(LogClass::TempInternetFiles),
        Emptied(Then(profile, {"Cache"}), LogClass::TempInternetFiles)}},
      {"Preferences", {files("prefs.js")}},
      {"Saved Form Information", {files("formhistory.dat")}},
  };
}

std::vector<ItemRow> OperaRows() {
  // Its files at any depth below the roaming "Opera" folder; its caches in "profile\cache4"
  // of each folder below the roaming and the local one, the local one only with the
  // roaming one there.
  const Where opera = Below(Anchor::AppData, {"Opera"});
  const auto files = [&opera](std::vector<Mask> names) {
    return Files(opera, std::move(names), Depth::Recursive);
  };
  const auto caches = [](Anchor anchor) {
    return Emptied(Then(Then(Below(anchor, {"Opera"}), EachFolder()), {"profile", "cache4"}));
  };
  return {
      {"Recently Typed URLs", {files({{"opera.dir"}, {"typed_history.xml"}})}},
      {"Cookies", {files({{"cookies4.dat"}})}},
      {"Visited URL History", {files({{"global.dat"}, {"vlink4.dat"}, {"autosave.win"}})}},
      {"Temporary Internet Files",
       {Require{opera}, caches(Anchor::AppData), caches(Anchor::LocalAppData)}},
      {"Autocomplete History", {files({{"wand.dat"}})}},
      {"Transfers", {files({{"download.dat"}})}},
  };
}

std::vector<ItemRow> FirefoxRows() {
  // The profiles below "Mozilla\Firefox\Profiles" of the roaming application data; their
  // disk caches (from Firefox 3 on Vista) below the same path of the local one.
  const auto profiles = [](Anchor anchor) {
    return Below(anchor, {"Mozilla", "Firefox", "Profiles"});
  };
  const Where roaming = profiles(Anchor::AppData);
  const auto files = [&roaming](std::vector<Mask> names) {
    return Files(roaming, std::move(names), Depth::Recursive);
  };
  // Firefox 32 and later keep the disk cache in "cache2".
  const auto caches = [&profiles](Anchor anchor) {
    return Emptied(Then(Then(profiles(anchor), EachFolder()), Named({"Cache", "cache2"})),
                   LogClass::TempInternetFiles);
  };
  return {
      {"Cookies", {files({{"cookies*.txt"}, {"cookies.sqlite"}})}},
      // The visits go; the places themselves (bookmarks hang on them) stay. Only default
      // profiles, told by ".default" anywhere in the path, letter case as written.
      {"Visited URL History",
       {files({{"history.dat"}}),
        Database(Then(roaming, EachFolder(".default")), "places.sqlite", "moz_historyvisits")}},
      {"Download Manager", {files({{"downloads.rdf"}, {"downloads.sqlite"}})}},
      {"Temporary Internet Files",
       {Notice(LogClass::TempInternetFiles), caches(Anchor::AppData),
        caches(Anchor::LocalAppData)}},
      {"Autocomplete History", {files({{"signons.txt"}, {"signons3.txt"}})}},
      {"Preferences", {files({{"prefs.js"}})}},
      {"Saved Form Information", {files({{"formhistory.dat"}, {"formhistory.sqlite"}})}},
  };
}

std::vector<ItemRow> ChromeRows() {
  // One default profile below the local application data.
  const Where profile = Below(Anchor::LocalAppData, {"Google", "Chrome", "User Data", "Default"});
  // Chrome 4 kept the passwords in "Web Data"; later ones in "Login Data", and those saved
  // to the signed-in account in "Login Data For Account", each in a table "logins".
  Actions passwords;
  for (const char* database : {"Web Data", "Login Data", "Login Data For Account"})
    passwords.push_back(Database(profile, database, "logins"));
  return {
      {"Temporary Internet Files", {Emptied(Then(profile, {"Cache"}))}},
      {"Cookies", {Files(profile, {{"Cookies"}}, Depth::Recursive)}},
      {"Visited URL History",
       {Files(profile, {{"Current Session"}, {"History"}, {"Archived History"}, {"Thumbnails"}},
              Depth::Recursive),
        Step(SpecialStep::HistoryIndexes, profile)}},
      {"Stored passwords in Forms", passwords},
  };
}

// --- Advanced, Office, messengers --------------------------------------------------------

std::vector<ItemRow> AdvancedRows() {
  // The "Count" keys hold the user-assist history; their parents stay.
  const std::string user_assist = kExplorer + "\\UserAssist\\";
  // The tray's two cache values only: the key and its other settings stay.
  const std::string tray = kExplorer + "\\TrayNotify";
  return {
      {"Open File History", {Key(kExplorer + "\\ComDlg32\\OpenSaveMRU")}},
      {"Menu Order Cache", {Key(kExplorer + "\\MenuOrder")}},
      {"Tray Notifications Cache", {Value(tray, "IconStreams"), Value(tray, "PastIconsStream")}},
      {"User Assist History",
       {Key(user_assist + "{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count"),
        Key(user_assist + "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count")}},
      {"Paint", {Key(kCurrentVersion + "\\Applets\\Paint\\Recent File List")}},
      ByDefinitions("Google Toolbar History"),
      ByDefinitions("MSN Toolbar History"),
      ByDefinitions("Yahoo! Toolbar History"),
  };
}

// Office's item: the matching shortcuts of its Recent folder, then the registry steps; none
// of it without the application-data folder.
Actions OfficeItem(std::vector<Mask> masks, const Actions& registry = {}) {
  Actions actions = {Require{Below(Anchor::AppData)},
                     Files(Below(Anchor::AppData, {"Microsoft", "Office", "Recent"}),
                           std::move(masks), Depth::ThisFolder)};
  actions.insert(actions.end(), registry.begin(), registry.end());
  return actions;
}

// Each of `below` under the version key of Office 97 (8.0) to Office 2007 (12.0), in order.
template <class Make>
Actions ForEachOfficeVersion(const Make& make) {
  Actions actions;
  for (int version = 8; version <= 12; ++version) {
    const std::string key = "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0";
    for (Action& action : make(key)) actions.push_back(std::move(action));
  }
  return actions;
}

std::vector<ItemRow> OfficeRows() {
  const std::string front_page = "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\";
  return {
      {"Access", OfficeItem({{"*.mdb"}}, ForEachOfficeVersion([](const std::string& key) {
                              return Actions{Key(key + "\\Access\\Settings")};
                            }))},
      // The whole Excel key: its recent-file list lives among the other Excel settings.
      {"Excel", OfficeItem({{"*.xls"}}, ForEachOfficeVersion([](const std::string& key) {
                             return Actions{Key(key + "\\Excel")};
                           }))},
      // "*.htm" does not match ".html" names, hence the second mask.
      {"FrontPage", OfficeItem({{"*.htm"}, {"*.html"}}, {Key(front_page + "Recent File List"),
                                                         Key(front_page + "Recent Page List"),
                                                         Key(front_page + "Recent Web List")})},
      // PowerPoint 97 to 2007 keep both lists under the application key "PowerPoint".
      {"Powerpoint", OfficeItem({{"*.ppt"}}, ForEachOfficeVersion([](const std::string& key) {
                                  return Actions{Key(key + "\\PowerPoint\\Recent File List"),
                                                 Key(key + "\\PowerPoint\\Recent Folder List")};
                                }))},
      // Word keeps its recent-file list inside the binary "Settings" value; the rest of the
      // Data key holds other settings and stays.
      {"Word", OfficeItem({{"*.doc"}}, ForEachOfficeVersion([](const std::string& key) {
                            return Actions{Value(key + "\\Word\\Data", "Settings")};
                          }))},
      {"Recent Files", OfficeItem({{"*.*"}})},
  };
}

std::vector<ItemRow> MessengerRows() {
  // A missing ProgramFilesDir leaves no folder at all, never a relative one.
  const Where yahoo = Below(Anchor::ProgramFiles, {"Yahoo!", "Messenger"});
  return {
      {"MSN Messenger", {Step(SpecialStep::MsnMessenger)}},
      {"Yahoo! Messenger",
       {Files(yahoo, {AnyCase("ypager.log")}, Depth::ThisFolder),
        Emptied(Then(yahoo, {"IMVCache"})), Emptied(Then(yahoo, {"Profiles"}))}},
      ByDefinitions("ICQ"),
      ByDefinitions("AOL Instant Messenger"),
      {"Skype", {Files(Below(Anchor::AppData, {"Skype"}), {{"*.dbb"}}, Depth::Recursive)}},
  };
}

}  // namespace

// Slots are not positions: Google Chrome stands sixth but keeps slot 11, which it got when
// it was added last.
const std::vector<CategoryRow>& ItemTable() {
  static const std::vector<CategoryRow> table = {
      {"Internet Explorer", 1, InternetExplorerRows()},
      {"Windows", 2, WindowsRows()},
      {"Netscape", 3, NetscapeRows()},
      {"Opera", 4, OperaRows()},
      {"Mozilla Firefox", 5, FirefoxRows()},
      {"Google Chrome", 11, ChromeRows()},
      {"Advanced", 6, AdvancedRows()},
      {"Microsoft Office", 7, OfficeRows()},
      {"Instant Messengers", 8, MessengerRows()},
      // Filled from the definition file and the installed programs when the program starts.
      {"Applications", 9, {}},
      {"Custom Lists", 10, {{"<New List>", {}, Service::CustomList}}},
  };
  return table;
}

}  // namespace morvel
