#pragma once
// Which cleaner serves an item key.

#include <string>
#include <string_view>

namespace morvel {

enum class CleanerId {
  CustomList,      // the "Custom Lists" definition file
  DefinitionFile,  // the shipped definition file, section after " - "
  RecentDocuments,
  StartRun,
  SearchAssistant,
  RecycleBin,
  TemporaryFiles,
  Clipboard,
  MemoryDumps,
  ChkdskFragments,
  OpenFileHistory,
  MenuOrderCache,
  TrayNotificationsCache,
  UserAssistHistory,
  Paint,
  MsnMessenger,
  YahooMessenger,
  Skype,
  IeTemporaryInternetFiles,
  IeCookies,
  IeVisitedUrlHistory,
  IeRecentlyTypedUrls,
  IeIndexDatFiles,
  IeLastDownloadLocation,
  IeAutocompleteHistory,
  FirefoxCookies,
  FirefoxVisitedUrlHistory,
  FirefoxTemporaryInternetFiles,
  FirefoxDownloadManager,
  FirefoxAutocompleteHistory,
  FirefoxPreferences,
  FirefoxSavedFormInformation,
  NetscapeCookies,
  NetscapeTemporaryInternetFiles,
  NetscapeVisitedUrlHistory,
  NetscapePreferences,
  NetscapeSavedFormInformation,
  OperaTemporaryInternetFiles,
  OperaCookies,
  OperaVisitedUrlHistory,
  OperaRecentlyTypedUrls,
  OperaAutocompleteHistory,
  OperaTransfers,
  OfficeAccess,
  OfficeExcel,
  OfficeFrontPage,
  OfficePowerpoint,
  OfficeWord,
  OfficeRecentFiles,
  ChromeTemporaryInternetFiles,
  ChromeCookies,
  ChromeVisitedUrlHistory,
  ChromeStoredPasswords,
};

// The first row that holds: a key containing "Custom Lists -" goes to the custom list;
// then exact, case-sensitive keys; anything else to the shipped definition file.
CleanerId DispatchKey(std::string_view key);

// The section of a definition file that serves `key`: the text from the second
// character after its first "-" to its end ("Windows - Windows Log Files" gives
// "Windows Log Files"); empty when there is no "-".
std::string DefinitionSectionName(std::string_view key);

}  // namespace morvel
