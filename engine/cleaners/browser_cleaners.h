#pragma once
// The cleaners of the categories "Mozilla Firefox", "Google Chrome", "Opera" and
// "Netscape": named files of each browser's profiles, their cache folders, and for Firefox
// and Chrome one table of a profile database. A browser that is not there leaves its
// items empty, without a message.

#include "engine/run_context.h"

namespace morvel {

// "Mozilla Firefox - ..." (firefox_cleaners.cpp)
void CleanFirefoxCookies(RunContext& run);
void CleanFirefoxVisitedUrlHistory(RunContext& run);
void CleanFirefoxDownloadManager(RunContext& run);
void CleanFirefoxTemporaryInternetFiles(RunContext& run);
void CleanFirefoxAutocompleteHistory(RunContext& run);
void CleanFirefoxPreferences(RunContext& run);
void CleanFirefoxSavedFormInformation(RunContext& run);

// "Google Chrome - ..." (chrome_cleaners.cpp)
void CleanChromeTemporaryInternetFiles(RunContext& run);
void CleanChromeCookies(RunContext& run);
void CleanChromeVisitedUrlHistory(RunContext& run);
void CleanChromeStoredPasswords(RunContext& run);

// "Opera - ..." (opera_cleaners.cpp)
void CleanOperaRecentlyTypedUrls(RunContext& run);
void CleanOperaCookies(RunContext& run);
void CleanOperaVisitedUrlHistory(RunContext& run);
void CleanOperaTemporaryInternetFiles(RunContext& run);
void CleanOperaAutocompleteHistory(RunContext& run);
void CleanOperaTransfers(RunContext& run);

// "Netscape - ..." (netscape_cleaners.cpp)
void CleanNetscapeCookies(RunContext& run);
void CleanNetscapeVisitedUrlHistory(RunContext& run);
void CleanNetscapeTemporaryInternetFiles(RunContext& run);
void CleanNetscapePreferences(RunContext& run);
void CleanNetscapeSavedFormInformation(RunContext& run);

}  // namespace morvel
