#pragma once
// Folders read from other programs' data (a messenger's log folder in the registry, a
// browser's profile folder) are not trusted to be what they claim. Such a folder that
// really is a drive root, the user's profile, one of the user's shell folders or the
// Windows folder, or one that holds any of them, is never emptied: the item skips it and
// says so in the log.

#include <string_view>

#include "engine/run_context.h"

namespace morvel {

// Whether `folder` must not be emptied on another program's word. Decided on the folder it
// really leads to (the port's FinalPath), however it is spelled and through whatever links;
// a folder that does not exist is not guarded (there is nothing to empty).
bool IsGuardedFolder(RunContext& run, std::string_view folder);

// IsGuardedFolder, and when it holds, the log line "<prefix>skipping <folder>: ..." (also
// with Fast Mode on: it tells why the item left something alone). True when skipped.
bool SkipGuardedFolder(RunContext& run, std::string_view folder);

}  // namespace morvel
