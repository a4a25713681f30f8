#pragma once
// Where a file goes: the one leaf of every folder action. A file is named to it as an entry
// of a folder the executor holds, never by a path: it is overwritten (when the settings ask
// for it) and deleted in that very folder, a link as the link. In Test mode nothing is
// touched; the file is counted, and, when the run probes, asked whether it would stay.
//
// Only names that can address an entry of the folder itself are ever used: not empty,
// ".", ".." nor holding "\", "/" or ":".

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/action.h"
#include "engine/executor.h"
#include "engine/tally.h"

namespace morvel {

// Whether a name from a folder listing can only name an entry of that folder.
bool IsPlainName(std::string_view name);

// Whether a folder action of `log` writes a line per file now: Fast Mode off (and the run
// not started fast), and the class's own setting on.
bool ShowsFileLines(RunContext& run, LogClass log);

// The file `entry` of the held folder `folder`, shown in the log as `shown_folder` (with its
// trailing "\") and its name. Writes "<prefix>deleting <path>" first when `log`; then:
//   Test   counts it; when the run probes, leaves it InUse or AccessDenied if a Clean could
//          not delete it now;
//   Clean  overwrites it when the settings ask for it (not a file in use, read-only, of 2 GB
//          or more, a link, or one with a second name), deletes it, and counts it when it
//          went; what Windows refused is left InUse or AccessDenied.
// Counted files go to the item's progress.
void RemoveListedFile(Executor& executor, platform::FolderHandle& folder,
                      const platform::FileEntry& entry, std::string_view shown_folder, bool log,
                      Tally& tally);

// Overwrites the file `name` of `folder` `passes` times, each pass with one byte value drawn
// from 0 to 254 over its whole length, flushed to the disk; the length stays. Any failure
// (missing, in use, read-only, 2 GB or more, a link, a second name) ends it silently.
void OverwriteListedFile(RunContext& run, platform::FolderHandle& folder, std::string_view name,
                         std::string_view shown_folder, int passes);

// The removal primitives' Yes/No question (caption "Morvel", information icon, No the
// default) before they take what the user may not have meant, such as a drive root; true
// for Yes. The worker waits for the answer.
bool AskBeforeRemoving(RunContext& run, const std::string& text);

}  // namespace morvel
