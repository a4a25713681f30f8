// Opera keeps its files in an "Opera" folder of the roaming application data, at any depth
// below it, and its caches in "profile\cache4" of each folder below the roaming and the
// local "Opera" folders.

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/cleaners/browser_cleaners.h"
#include "engine/cleaners/browser_folders.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"

namespace morvel {

namespace {

// "<folder>Opera\" when it exists; empty otherwise.
std::string OperaIn(RunContext& run, const std::string& folder) {
  if (folder.empty()) return {};
  std::string opera = folder + "Opera\\";
  return IsBrowserFolder(run, opera) ? opera : std::string();
}

void CleanOperaFiles(RunContext& run, std::initializer_list<std::string_view> names) {
  const std::string opera = OperaIn(run, GetAppDataFolder(run));
  if (opera.empty()) return;
  SetItemBytes(run, CleanMasks(run, opera, names, /*recurse=*/true));
}

}  // namespace

void CleanOperaCookies(RunContext& run) { CleanOperaFiles(run, {"cookies4.dat"}); }

void CleanOperaVisitedUrlHistory(RunContext& run) {
  CleanOperaFiles(run, {"global.dat", "vlink4.dat", "autosave.win"});
}

void CleanOperaRecentlyTypedUrls(RunContext& run) {
  CleanOperaFiles(run, {"opera.dir", "typed_history.xml"});
}

void CleanOperaTransfers(RunContext& run) { CleanOperaFiles(run, {"download.dat"}); }

void CleanOperaAutocompleteHistory(RunContext& run) { CleanOperaFiles(run, {"wand.dat"}); }

void CleanOperaTemporaryInternetFiles(RunContext& run) {
  const std::string roaming = OperaIn(run, GetAppDataFolder(run));
  // Without the roaming folder the local one is not looked at either.
  if (roaming.empty()) return;
  std::uint64_t bytes = 0;
  for (const std::string& opera : {roaming, OperaIn(run, LocalAppDataFolder(run))}) {
    if (opera.empty()) continue;
    ForEachSubfolder(run, opera, [&](const std::string& folder) {
      if (IsPlainFolder(run, folder + "\\profile"))
        bytes += SweepCache(run, folder + "\\profile\\cache4", /*log=*/true);
      return true;
    });
  }
  SetItemBytes(run, bytes);
}

}  // namespace morvel
