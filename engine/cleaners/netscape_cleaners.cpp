// Netscape (the Navigator 9 browser) keeps its profiles below "Netscape\NSB\Profiles" of
// the roaming application data; one profile folder is chosen anew for every item, and only
// its own files are taken, not those of its sub-folders.

#include <string>
#include <string_view>

#include "engine/cleaners/browser_cleaners.h"
#include "engine/cleaners/browser_folders.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"

namespace morvel {

namespace {

// The profile folder with a trailing "\": the usual "pbzik8cu.default" when it is there,
// else the first folder whose path holds ".default"; empty when there is none.
std::string ProfileFolder(RunContext& run) {
  const std::string app_data = GetAppDataFolder(run);
  if (app_data.empty()) return {};
  const std::string profiles = app_data + "Netscape\\NSB\\Profiles";
  if (!IsBrowserFolder(run, profiles)) return {};
  if (IsPlainFolder(run, profiles + "\\pbzik8cu.default")) return profiles + "\\pbzik8cu.default\\";
  std::string chosen;
  ForEachSubfolder(run, profiles, [&chosen](const std::string& folder) {
    if (folder.find(".default") == std::string::npos) return true;
    chosen = folder + "\\";
    return false;
  });
  return chosen;
}

void CleanProfileFiles(RunContext& run, std::string_view mask) {
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  SetItemBytes(run, CleanMasks(run, profile, {mask}, /*recurse=*/false));
}

}  // namespace

void CleanNetscapeCookies(RunContext& run) { CleanProfileFiles(run, "cookies*.txt"); }

void CleanNetscapeVisitedUrlHistory(RunContext& run) { CleanProfileFiles(run, "history.dat"); }

void CleanNetscapeSavedFormInformation(RunContext& run) {
  CleanProfileFiles(run, "formhistory.dat");
}

void CleanNetscapePreferences(RunContext& run) { CleanProfileFiles(run, "prefs.js"); }

void CleanNetscapeTemporaryInternetFiles(RunContext& run) {
  WriteClearingLine(run);
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  SetItemBytes(run, SweepCache(run, profile + "Cache", run.options().ShowLogTempInternetFiles));
}

}  // namespace morvel
