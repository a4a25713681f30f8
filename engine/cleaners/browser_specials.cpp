// The special steps of the Firefox and Chrome items: a table of a profile's database, and
// Chrome's monthly history indexes, each taken under its own name.

#include <string>
#include <vector>

#include "common/text.h"
#include "engine/cleaners/database_step.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/special_steps.h"

namespace morvel {

Tally EmptyDatabaseTables(Executor& executor, const Special& special) {
  RunContext& run = executor.run();
  // The statement is the step's one entry; a Test runs none and opens nothing.
  if (run.IsTestMode()) return {};
  executor.ForEachFolder(special.where, [&](Executor::Reached& profile) {
    // The database of the profile that is held, where it really is. Nothing is counted:
    // the rows of a table are no entries of the log.
    std::string shown = profile.shown;
    if (!shown.empty() && shown.back() == '\\') shown.pop_back();
    (void)EmptyDatabaseTable(run, profile.folder, shown, special.file, special.table);
  });
  return {};
}

Tally CleanHistoryIndexes(Executor& executor, const Special& special) {
  RunContext& run = executor.run();
  Tally tally;
  executor.ForEachFolder(
      special.where,
      [&](Executor::Reached& profile) {
        // The monthly full-text indexes ("History Index 2010-05") of the folder itself, each
        // then taken under its own name, here and in the sub-folders.
        std::vector<std::string> indexes;
        (void)profile.folder.Enumerate([&](const platform::FileEntry& entry) {
          if (!entry.IsFolder() && IsPlainName(entry.name) &&
              UpperCase(entry.name).find("HISTORY INDEX") != std::string::npos)
            indexes.push_back(entry.name);
          return !run.Terminated();
        });
        std::vector<Mask> names(indexes.begin(), indexes.end());
        const CleanFolder by_name = FolderAction({}, std::move(names));
        if (!by_name.masks.empty()) tally.Add(executor.CleanReached(profile, by_name));
      },
      &tally);
  return tally;
}

}  // namespace morvel
