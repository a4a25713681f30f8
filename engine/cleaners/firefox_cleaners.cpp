// Firefox keeps its profiles below "Mozilla\Firefox\Profiles" of the roaming application
// data, and (from Firefox 3 on Vista) their disk caches below the same path of the local
// one. Every file item searches the whole roaming tree for its names.

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/cleaners/browser_cleaners.h"
#include "engine/cleaners/browser_folders.h"
#include "engine/cleaners/database_step.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"

namespace morvel {

namespace {

constexpr const char* kProfiles = "Mozilla\\Firefox\\Profiles";

// The roaming profiles folder without a trailing "\"; empty when it does not exist.
std::string RoamingRoot(RunContext& run) {
  const std::string app_data = GetAppDataFolder(run);
  if (app_data.empty()) return {};
  std::string root = app_data + kProfiles;
  return IsBrowserFolder(run, root) ? root : std::string();
}

std::string LocalRoot(RunContext& run) {
  const std::string local = LocalAppDataFolder(run);
  if (local.empty()) return {};
  std::string root = local + kProfiles;
  return IsBrowserFolder(run, root) ? root : std::string();
}

void CleanProfileFiles(RunContext& run, std::initializer_list<std::string_view> masks) {
  const std::string root = RoamingRoot(run);
  if (root.empty()) return;
  SetItemBytes(run, CleanMasks(run, root, masks, /*recurse=*/true));
}

}  // namespace

void CleanFirefoxCookies(RunContext& run) {
  CleanProfileFiles(run, {"cookies*.txt", "cookies.sqlite"});
}

void CleanFirefoxDownloadManager(RunContext& run) {
  CleanProfileFiles(run, {"downloads.rdf", "downloads.sqlite"});
}

void CleanFirefoxAutocompleteHistory(RunContext& run) {
  CleanProfileFiles(run, {"signons.txt", "signons3.txt"});
}

void CleanFirefoxPreferences(RunContext& run) { CleanProfileFiles(run, {"prefs.js"}); }

void CleanFirefoxSavedFormInformation(RunContext& run) {
  CleanProfileFiles(run, {"formhistory.dat", "formhistory.sqlite"});
}

void CleanFirefoxVisitedUrlHistory(RunContext& run) {
  const std::string root = RoamingRoot(run);
  if (root.empty()) return;
  SetItemBytes(run, CleanMasks(run, root, {"history.dat"}, /*recurse=*/true));
  if (run.IsTestMode()) return;
  // The visits go; the places themselves (bookmarks hang on them) stay. Only default
  // profiles, told by ".default" anywhere in the path, letter case as written. Each profile
  // is entered inside the held root, never through a link put in its place.
  const auto held = EnterFolder(run, root, FolderOrigin::Program, FolderReach::Files);
  if (!held) return;
  ForEachSubfolder(run, root, [&run, &held](const std::string& profile) {
    if (profile.find(".default") == std::string::npos) return true;
    const auto folder = held->OpenSubFolder(profile.substr(profile.rfind('\\') + 1));
    if (folder.ok())
      (void)EmptyDatabaseTable(run, *folder.value, profile, "places.sqlite", "moz_historyvisits");
    return true;
  });
}

void CleanFirefoxTemporaryInternetFiles(RunContext& run) {
  WriteClearingLine(run);
  const bool log = run.options().ShowLogTempInternetFiles;
  std::uint64_t bytes = 0;
  for (const std::string& root : {RoamingRoot(run), LocalRoot(run)}) {
    if (root.empty()) continue;
    ForEachSubfolder(run, root, [&](const std::string& profile) {
      bytes += SweepCache(run, profile + "\\Cache", log);
      // Firefox 32 and later keep the disk cache in "cache2".
      bytes += SweepCache(run, profile + "\\cache2", log);
      return true;
    });
  }
  SetItemBytes(run, bytes);
}

}  // namespace morvel
