#pragma once
// The one door every folder a run works in passes. It decides on the folder a path really
// leads to, whatever its spelling and through whatever links, and then holds that folder
// open (platform::FolderHandle), so that what was decided on is what gets cleaned.
//
// Folders that come from a program rather than from the user's own typing (built-in
// locations, other programs' data in the registry, the shipped Morvel.dat) are not trusted
// to be what they claim: such a folder that really is, or holds, a drive root, the user's
// profile, one of the user's own folders (Desktop, Documents, Pictures, Music, Videos,
// Downloads), the application-data roots or the Windows folder is never emptied; the item
// skips it and says so in the log. An item that by design takes named files or masks from
// the Windows folder without going below it (its memory dump, its logs) may do so on that
// folder itself, named as the system names it, never on wherever a link planted in another
// folder's place leads. Nor is a folder emptied that is, holds or lies inside one of the
// folders Windows, the programs and Morvel run from (system_folders.h). The user's own
// custom list is not refused here: the removal primitives ask before they empty a drive
// root, the profile, Documents or Pictures.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/action.h"
#include "engine/run_context.h"
#include "engine/system_folders.h"

namespace morvel {

// How much of a folder an item takes.
enum class FolderReach {
  Files,  // named files or masks of the folder itself, nothing below it
  Tree,   // the folder emptied, or swept with all its sub-folders
};

// An anchor's decision: the folder `folder` names, resolved where it really leads (every
// spelling and link followed, as the system or the user named it) and opened there, so that
// what is decided on is what is held. nullptr when it does not exist or cannot be told, or
// when it turns out to be a link as it is opened, planted since it was resolved (a line).
std::unique_ptr<platform::FolderHandle> HoldFolder(RunContext& run, std::string_view folder);

// What the guard weighs a program's folder against, each folder where it really is: the
// user's own folders and the Windows folder, and the system folders (system_folders.h). An
// executor looks them up once for its run, as it decides on its anchors once; a decision
// without them looks them up afresh.
struct GuardedFolders {
  std::string windows;                                    // as the system names it
  std::vector<std::pair<std::string, std::string>> user;  // as named, and where really
  std::vector<ResolvedSystemFolder> system;
};
GuardedFolders LookUpGuardedFolders(RunContext& run);

// Whether a held folder, shown in the log as `shown`, may be cleaned as far as `reach` on
// `origin`'s word. When the guard refuses it, writes the guard's line and says no.
bool MayClean(RunContext& run, std::string_view shown, const platform::FolderHandle& folder,
              FolderOrigin origin, FolderReach reach, const GuardedFolders* guarded = nullptr);

// Whether `folder` must not be emptied on a program's word (FolderReach::Tree). A folder
// whose real place cannot be told (a link leading out of reach) is refused too; one that
// does not exist is not (there is nothing to empty).
bool IsGuardedFolder(RunContext& run, std::string_view folder);

// IsGuardedFolder, and when it holds, the guard's log line "<prefix>skipping <folder>: ..."
// (also with Fast Mode on: it tells why the item left something alone). True when skipped.
bool SkipGuardedFolder(RunContext& run, std::string_view folder);

// "<prefix>skipping <path>: <why>", written also with Fast Mode on: it tells why an item
// left something alone.
void LogSkipped(RunContext& run, std::string_view path, std::string_view why);

// The log line for a folder that turned out to be a link as it was entered.
void LogLinkSkipped(RunContext& run, std::string_view folder);

}  // namespace morvel
