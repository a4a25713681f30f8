#pragma once
// One pass of a CleanFolder action over one folder the executor reached and holds: its
// files (those of one mask, or all), with the sub-folders the action enters, each entered
// inside its held parent without following a link. What a pass counts, removes and leaves
// comes back as a tally.

#include <optional>
#include <string>

#include "engine/action.h"
#include "engine/executor.h"
#include "engine/tally.h"

namespace morvel {

// Before the first file, in a Clean, asks about a drive root or a folder that is or holds
// the user's profile, My Documents or My Pictures (the Pictures folder, and the one inside
// Documents where Windows XP kept it), and so about each sub-folder it enters; answered No
// for the folder itself, nothing is done and the answer is nullopt. Folders nested deeper
// than any a cleaner empties are left alone with a line. `mask` is null for a pass over
// every file. The folder itself is never removed here.
std::optional<Tally> ScanFolder(Executor& executor, platform::FolderHandle& folder,
                                const std::string& shown, const CleanFolder& action,
                                const Mask* mask);

}  // namespace morvel
