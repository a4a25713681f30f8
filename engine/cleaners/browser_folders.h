#pragma once
// What the Firefox, Chrome, Opera and Netscape cleaners share: the local application-data
// folder, the walk over a browser's profile folders, the named-file sweep and the cache
// sweep.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/run_context.h"

namespace morvel {

// Whether `path` is an existing folder a browser item may work in. A browser's root or
// profile folder that really is, or holds, a drive root, the profile or one of the user's
// own folders (a link planted in its place) is skipped with the guard's log line.
bool IsBrowserFolder(RunContext& run, const std::string& path);

// The "Local AppData" value of the user's Shell Folders key with a trailing "\"; empty
// when the value is missing or not text.
std::string LocalAppDataFolder(RunContext& run);

// Calls `visit` with the full path (no trailing "\") of each direct sub-folder of
// `folder`, in listing order, until it returns false or the run is stopped. A link or
// junction is passed over: what it leads to is no profile of this browser's folder.
void ForEachSubfolder(RunContext& run, const std::string& folder,
                      const std::function<bool(const std::string& path)>& visit);

// Whether `path` is a real folder, not a link to one: a profile's cache or profile folder
// that may be swept.
bool IsPlainFolder(RunContext& run, const std::string& path);

// CleanFolderByMask of each mask in order on `folder`; the sum of the bytes removed.
std::uint64_t CleanMasks(RunContext& run, const std::string& folder,
                         std::initializer_list<std::string_view> masks, bool recurse);

// Empties a browser's cache folder, which stays; files logged when `log` (and Fast Mode is off).
std::uint64_t SweepCache(RunContext& run, const std::string& cache, bool log);

// The line a cache item writes first in Clean mode when its files are not logged.
void WriteClearingLine(RunContext& run);

}  // namespace morvel
