#include "engine/dispatch.h"

#include <array>
#include <utility>

namespace morvel {

namespace {

using Row = std::pair<std::string_view, CleanerId>;

// Keys served by the shipped definition file ("Windows Log Files", ICQ, AOL Instant
// Messenger) need no row: every key without one goes there.
constexpr std::array kExactRows = {
    Row{"Windows - Recent Documents", CleanerId::RecentDocuments},
    Row{"Windows - Start Run", CleanerId::StartRun},
    Row{"Windows - Search Assistant", CleanerId::SearchAssistant},
    Row{"Windows - Empty Recycle Bin", CleanerId::RecycleBin},
    Row{"Windows - Temporary Files", CleanerId::TemporaryFiles},
    Row{"Windows - Clipboard", CleanerId::Clipboard},
    Row{"Windows - Memory Dumps", CleanerId::MemoryDumps},
    Row{"Windows - Chkdsk File Fragments", CleanerId::ChkdskFragments},
    Row{"Windows - Windows Log Files", CleanerId::DefinitionFile},
    Row{"Advanced - Open File History", CleanerId::OpenFileHistory},
    Row{"Advanced - Menu Order Cache", CleanerId::MenuOrderCache},
    Row{"Advanced - Tray Notifications Cache", CleanerId::TrayNotificationsCache},
    Row{"Advanced - User Assist History", CleanerId::UserAssistHistory},
    Row{"Advanced - Paint", CleanerId::Paint},
    Row{"Instant Messengers - MSN Messenger", CleanerId::MsnMessenger},
    Row{"Instant Messengers - Yahoo! Messenger", CleanerId::YahooMessenger},
    Row{"Instant Messengers - ICQ", CleanerId::DefinitionFile},
    Row{"Instant Messengers - AOL Instant Messenger", CleanerId::DefinitionFile},
    Row{"Instant Messengers - Skype", CleanerId::Skype},
    Row{"Internet Explorer - Temporary Internet Files", CleanerId::IeTemporaryInternetFiles},
    Row{"Internet Explorer - Cookies", CleanerId::IeCookies},
    Row{"Internet Explorer - Visited URL History", CleanerId::IeVisitedUrlHistory},
    Row{"Internet Explorer - Recently Typed URLs", CleanerId::IeRecentlyTypedUrls},
    Row{"Internet Explorer - Index.dat Files", CleanerId::IeIndexDatFiles},
    Row{"Internet Explorer - Last Download Location", CleanerId::IeLastDownloadLocation},
    Row{"Internet Explorer - Autocomplete History", CleanerId::IeAutocompleteHistory},
    Row{"Mozilla Firefox - Cookies", CleanerId::FirefoxCookies},
    Row{"Mozilla Firefox - Visited URL History", CleanerId::FirefoxVisitedUrlHistory},
    Row{"Mozilla Firefox - Temporary Internet Files", CleanerId::FirefoxTemporaryInternetFiles},
    Row{"Mozilla Firefox - Download Manager", CleanerId::FirefoxDownloadManager},
    Row{"Mozilla Firefox - Autocomplete History", CleanerId::FirefoxAutocompleteHistory},
    Row{"Mozilla Firefox - Preferences", CleanerId::FirefoxPreferences},
    Row{"Mozilla Firefox - Saved Form Information", CleanerId::FirefoxSavedFormInformation},
    Row{"Netscape - Cookies", CleanerId::NetscapeCookies},
    Row{"Netscape - Temporary Internet Files", CleanerId::NetscapeTemporaryInternetFiles},
    Row{"Netscape - Visited URL History", CleanerId::NetscapeVisitedUrlHistory},
    Row{"Netscape - Preferences", CleanerId::NetscapePreferences},
    Row{"Netscape - Saved Form Information", CleanerId::NetscapeSavedFormInformation},
    Row{"Opera - Temporary Internet Files", CleanerId::OperaTemporaryInternetFiles},
    Row{"Opera - Cookies", CleanerId::OperaCookies},
    Row{"Opera - Visited URL History", CleanerId::OperaVisitedUrlHistory},
    Row{"Opera - Recently Typed URLs", CleanerId::OperaRecentlyTypedUrls},
    Row{"Opera - Autocomplete History", CleanerId::OperaAutocompleteHistory},
    Row{"Opera - Transfers", CleanerId::OperaTransfers},
    Row{"Microsoft Office - Access", CleanerId::OfficeAccess},
    Row{"Microsoft Office - Excel", CleanerId::OfficeExcel},
    Row{"Microsoft Office - FrontPage", CleanerId::OfficeFrontPage},
    Row{"Microsoft Office - Powerpoint", CleanerId::OfficePowerpoint},
    Row{"Microsoft Office - Word", CleanerId::OfficeWord},
    Row{"Microsoft Office - Recent Files", CleanerId::OfficeRecentFiles},
    Row{"Google Chrome - Temporary Internet Files", CleanerId::ChromeTemporaryInternetFiles},
    Row{"Google Chrome - Cookies", CleanerId::ChromeCookies},
    Row{"Google Chrome - Visited URL History", CleanerId::ChromeVisitedUrlHistory},
    Row{"Google Chrome - Stored passwords in Forms", CleanerId::ChromeStoredPasswords},
};

}  // namespace

CleanerId DispatchKey(std::string_view key) {
  if (key.find("Custom Lists -") != std::string_view::npos) return CleanerId::CustomList;
  for (const Row& row : kExactRows)
    if (row.first == key) return row.second;
  return CleanerId::DefinitionFile;
}

std::string DefinitionSectionName(std::string_view key) {
  const std::size_t dash = key.find('-');
  if (dash == std::string_view::npos || dash + 2 > key.size()) return {};
  return std::string(key.substr(dash + 2));
}

}  // namespace morvel
