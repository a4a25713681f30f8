#include "engine/item_table.h"

#include "engine/cleaners/advanced_cleaners.h"
#include "engine/cleaners/browser_cleaners.h"
#include "engine/cleaners/ie_cleaners.h"
#include "engine/cleaners/messenger_cleaners.h"
#include "engine/cleaners/office_cleaners.h"
#include "engine/cleaners/windows_cleaners.h"

namespace morvel {

namespace {

constexpr ItemRow ByDefinitions(std::string_view text) {
  return {text, nullptr, Service::Definitions};
}

}  // namespace

// Slots are not positions: Google Chrome stands sixth but keeps slot 11, which it got when
// it was added last. Rows without a cleaner are items whose cleaner is still to come.
const std::vector<CategoryRow>& ItemTable() {
  static const std::vector<CategoryRow> table = {
      {"Internet Explorer",
       1,
       {{"Recently Typed URLs", CleanIeRecentlyTypedUrls},
        {"Cookies", CleanIeCookies},
        {"Visited URL History", CleanIeVisitedUrlHistory},
        {"Last Download Location", CleanIeLastDownloadLocation},
        {"Temporary Internet Files", CleanIeTemporaryInternetFiles},
        {"Index.dat Files", CleanIeIndexDatFiles},
        {"Autocomplete History", CleanIeAutocompleteHistory}}},
      {"Windows",
       2,
       {{"Recent Documents", CleanRecentDocuments},
        {"Start Run", CleanStartRun},
        {"Search Assistant", CleanSearchAssistant},
        {"Empty Recycle Bin", CleanRecycleBin},
        {"Temporary Files", CleanTemporaryFiles},
        {"Clipboard", CleanClipboard},
        {"Memory Dumps", CleanMemoryDumps},
        {"Chkdsk File Fragments", CleanChkdskFragments},
        ByDefinitions("Windows Log Files")}},
      {"Netscape",
       3,
       {{"Cookies", CleanNetscapeCookies},
        {"Visited URL History", CleanNetscapeVisitedUrlHistory},
        {"Temporary Internet Files", CleanNetscapeTemporaryInternetFiles},
        {"Preferences", CleanNetscapePreferences},
        {"Saved Form Information", CleanNetscapeSavedFormInformation}}},
      {"Opera",
       4,
       {{"Recently Typed URLs", CleanOperaRecentlyTypedUrls},
        {"Cookies", CleanOperaCookies},
        {"Visited URL History", CleanOperaVisitedUrlHistory},
        {"Temporary Internet Files", CleanOperaTemporaryInternetFiles},
        {"Autocomplete History", CleanOperaAutocompleteHistory},
        {"Transfers", CleanOperaTransfers}}},
      {"Mozilla Firefox",
       5,
       {{"Cookies", CleanFirefoxCookies},
        {"Visited URL History", CleanFirefoxVisitedUrlHistory},
        {"Download Manager", CleanFirefoxDownloadManager},
        {"Temporary Internet Files", CleanFirefoxTemporaryInternetFiles},
        {"Autocomplete History", CleanFirefoxAutocompleteHistory},
        {"Preferences", CleanFirefoxPreferences},
        {"Saved Form Information", CleanFirefoxSavedFormInformation}}},
      {"Google Chrome",
       11,
       {{"Temporary Internet Files", CleanChromeTemporaryInternetFiles},
        {"Cookies", CleanChromeCookies},
        {"Visited URL History", CleanChromeVisitedUrlHistory},
        {"Stored passwords in Forms", CleanChromeStoredPasswords}}},
      {"Advanced",
       6,
       {{"Open File History", CleanOpenFileHistory},
        {"Menu Order Cache", CleanMenuOrderCache},
        {"Tray Notifications Cache", CleanTrayNotificationsCache},
        {"User Assist History", CleanUserAssistHistory},
        {"Paint", CleanPaintRecentFiles},
        ByDefinitions("Google Toolbar History"),
        ByDefinitions("MSN Toolbar History"),
        ByDefinitions("Yahoo! Toolbar History")}},
      {"Microsoft Office",
       7,
       {{"Access", CleanOfficeAccess},
        {"Excel", CleanOfficeExcel},
        {"FrontPage", CleanOfficeFrontPage},
        {"Powerpoint", CleanOfficePowerpoint},
        {"Word", CleanOfficeWord},
        {"Recent Files", CleanOfficeRecentFiles}}},
      {"Instant Messengers",
       8,
       {{"MSN Messenger", CleanMsnMessenger},
        {"Yahoo! Messenger", CleanYahooMessenger},
        ByDefinitions("ICQ"),
        ByDefinitions("AOL Instant Messenger"),
        {"Skype", CleanSkype}}},
      // Filled from the definition file and the installed programs when the program starts.
      {"Applications", 9, {}},
      {"Custom Lists", 10, {{"<New List>", nullptr, Service::CustomList}}},
  };
  return table;
}

}  // namespace morvel
