// Chrome keeps one default profile below the local application data.

#include <string>
#include <vector>

#include "common/text.h"
#include "engine/cleaners/browser_cleaners.h"
#include "engine/cleaners/browser_folders.h"
#include "engine/cleaners/database_step.h"
#include "engine/file_removal.h"
#include "engine/item_counters.h"

namespace morvel {

namespace {

// The default profile folder with a trailing "\"; empty when it does not exist.
std::string ProfileFolder(RunContext& run) {
  const std::string local = LocalAppDataFolder(run);
  if (local.empty()) return {};
  std::string profile = local + "Google\\Chrome\\User Data\\Default\\";
  return IsBrowserFolder(run, profile) ? profile : std::string();
}

bool ContainsHistoryIndex(const std::string& name) {
  return UpperCase(name).find("HISTORY INDEX") != std::string::npos;
}

}  // namespace

void CleanChromeTemporaryInternetFiles(RunContext& run) {
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  SetItemBytes(run, SweepCache(run, profile + "Cache", /*log=*/true));
}

void CleanChromeCookies(RunContext& run) {
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  SetItemBytes(run, CleanMasks(run, profile, {"Cookies"}, /*recurse=*/true));
}

void CleanChromeVisitedUrlHistory(RunContext& run) {
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  std::uint64_t bytes = CleanMasks(
      run, profile, {"Current Session", "History", "Archived History", "Thumbnails"}, true);
  // The monthly full-text indexes ("History Index 2010-05"), each under its own name.
  std::vector<std::string> indexes;
  (void)run.port().files.Enumerate(profile, [&](const platform::FileEntry& entry) {
    if (!entry.IsFolder() && IsPlainName(entry.name) && ContainsHistoryIndex(entry.name))
      indexes.push_back(entry.name);
    return !run.Terminated();
  });
  for (const std::string& name : indexes)
    bytes += CleanFolderByMask(run, profile, name, run.ItemCount(), /*recurse=*/true);
  SetItemBytes(run, bytes);
}

void CleanChromeStoredPasswords(RunContext& run) {
  // Nothing is counted: the item reports 0 in both modes.
  if (run.IsTestMode()) return;
  const std::string profile = ProfileFolder(run);
  if (profile.empty()) return;
  // Chrome 4 kept the passwords in "Web Data"; later ones in "Login Data", and those saved
  // to the signed-in account in "Login Data For Account", each in a table "logins".
  const auto held = EnterFolder(run, profile, FolderOrigin::Program, FolderReach::Files);
  if (!held) return;
  for (const char* database : {"Web Data", "Login Data", "Login Data For Account"})
    (void)EmptyDatabaseTable(run, *held, profile, database, "logins");
}

}  // namespace morvel
