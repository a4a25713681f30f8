#pragma once
// The cleaners of the category "Internet Explorer". Files and registry entries go through
// the removal primitives; the URL history store, the URL cache and the index.dat wipes
// are the cleaners' own (ie_support.h).

#include "engine/run_context.h"

namespace morvel {

// "Internet Explorer - Temporary Internet Files": the cache folder's files, then its index.
void CleanIeTemporaryInternetFiles(RunContext& run);
// "Internet Explorer - Visited URL History": the history store, the cache's "http://"
// entries, the history day folders, then their indexes.
void CleanIeVisitedUrlHistory(RunContext& run);
// "Internet Explorer - Recently Typed URLs": the typed URLs and the two search lists.
void CleanIeRecentlyTypedUrls(RunContext& run);
// "Internet Explorer - Index.dat Files": wipes the three main indexes and has them
// deleted when Windows starts again.
void CleanIeIndexDatFiles(RunContext& run);
// "Internet Explorer - Last Download Location": the remembered download folder.
void CleanIeLastDownloadLocation(RunContext& run);
// "Internet Explorer - Cookies": the cookie files the keep list does not name.
void CleanIeCookies(RunContext& run);
// "Internet Explorer - Autocomplete History": the Protected Storage's Internet Explorer
// items and the IntelliForms keys.
void CleanIeAutocompleteHistory(RunContext& run);

}  // namespace morvel
