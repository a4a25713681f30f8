#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/cleaners/ie_cleaners.h"
#include "engine/cleaners/ie_support.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"
#include "engine/reboot_removal.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;
using platform::SpecialFolder;
using platform::UrlAction;

constexpr const char* kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kSearchBar =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}";

// One URL of the history store or the cache: counted, logged, reported.
void CountUrl(RunContext& run, std::string_view url) {
  AddToItemCount(run, 1);
  if (!run.options().FastScan) {
    run.AppendLog(run.LogPrefix() + "deleting " + std::string(url));
    run.ScrollLog(50);
  }
  run.ReportProgress();
}

// What a walk does with a URL it counted: in Test mode it stays.
UrlAction Removal(RunContext& run) {
  return run.IsTestMode() ? UrlAction::Next : UrlAction::Delete;
}

// The day folders of the Vista class: every sub-folder of `root` but today's.
std::uint64_t CleanOldDayFolders(RunContext& run, const std::string& root) {
  const std::string marker = UpperCase(TodaysHistoryMarker(run));
  const auto held = EnterFolder(run, root, FolderOrigin::Program, FolderReach::Tree);
  if (!held) return 0;
  std::vector<std::string> old;
  (void)held->Enumerate([&](const platform::FileEntry& entry) {
    // A link is never entered: it could lead out of the history.
    if (entry.IsFolder() && !entry.IsReparsePoint() && IsPlainName(entry.name) &&
        (marker.empty() || UpperCase(entry.name).find(marker) == std::string::npos))
      old.push_back(entry.name);
    return !run.Terminated();
  });
  std::uint64_t bytes = 0;
  for (const std::string& name : old) {
    if (run.Terminated()) break;
    bytes += CleanHeldSubFolder(run, *held, root, name, run.ItemCount(), /*log=*/true);
  }
  return bytes;
}

}  // namespace

void CleanIeTemporaryInternetFiles(RunContext& run) {
  const bool show_files = run.options().ShowLogTempInternetFiles;
  if (!run.IsTestMode() && !show_files) run.AppendLog("Clearing, please wait...");
  const std::string cache = BrowserFolder(run, SpecialFolder::InternetCache);
  if (cache.empty() || !run.port().files.Exists(cache)) return;
  run.port().system.EndBrowserSession();
  // Test leaves the indexes out; Clean tries them too and counts only what went.
  const std::uint64_t bytes = CleanFolder(run, cache, /*remove_folder=*/false, show_files,
                                          run.IsTestMode() ? "index.dat" : "", run.ItemCount());
  SetItemBytes(run, bytes);
  WipeIndexDatFile(run, WithBackslash(cache) + "Content.IE5\\index.dat");
}

void CleanIeVisitedUrlHistory(RunContext& run) {
  const std::string history = BrowserFolder(run, SpecialFolder::History);
  platform::Internet& internet = run.port().internet;
  // A store that cannot be created or enumerated leaves this step empty.
  (void)internet.WalkUrlHistory([&](std::string_view url) {
    if (run.Terminated()) return UrlAction::Stop;
    CountUrl(run, url);
    return Removal(run);
  });
  // The cache's history and cookie entries, and other schemes, stay.
  internet.WalkUrlCache([&](std::string_view url) {
    if (run.Terminated()) return UrlAction::Stop;
    if (!url.starts_with("http://")) return UrlAction::Next;
    CountUrl(run, url);
    return Removal(run);
  });
  if (history.empty() || !run.port().files.Exists(history)) return;

  std::uint64_t bytes = 0;
  std::string& top = run.ItemScratch();
  if (VersionClassOf(run.port().system.Version()) == VersionClass::Vista) {
    const std::string root = history + "\\Low\\History.IE5";
    if (run.port().files.Exists(root)) bytes = CleanOldDayFolders(run, root);
    top = history;
  } else {
    const std::string root = history + "\\History.IE5";
    bytes =
        CleanFolder(run, root, /*remove_folder=*/false, /*log=*/true, "index.dat", run.ItemCount());
    top = root;
  }
  SetItemBytes(run, bytes);
  // The index directly in the top folder is the Index.dat Files item's.
  WipeIndexDatTree(run, top, top);
}

void CleanIeRecentlyTypedUrls(RunContext& run) {
  const std::string typed = std::string(kIeKey) + "\\TypedURLs";
  if (!run.options().FastScan) {
    if (auto values = run.port().registry.Values(RootKey::CurrentUser, typed)) {
      for (const platform::RegistryValue& value : values.value)
        run.AppendLog(run.LogPrefix() + "deleting " + value.AsText().value_or(""));
    }
    run.ScrollLog(0);
  }
  for (const std::string& key : {typed, std::string(kSearchBar) + "\\FilesNamedMRU",
                                 std::string(kSearchBar) + "\\ContainingTextMRU"})
    AddToItemCount(run, DeleteKey(run, RootKey::CurrentUser, key));
}

void CleanIeIndexDatFiles(RunContext& run) {
  run.AppendLog("Warning: This will take effect next time windows is rebooted.");
  // A folder whose lookup failed has no index: never a path relative to the current folder.
  auto index_in = [&](SpecialFolder folder, const char* below) {
    const std::string found = BrowserFolder(run, folder);
    return found.empty() ? std::string() : WithBackslash(found) + below;
  };
  const std::vector<std::string> paths = {
      index_in(SpecialFolder::Cookies, "index.dat"),
      index_in(SpecialFolder::InternetCache, "Content.IE5\\index.dat"),
      index_in(SpecialFolder::History, "History.IE5\\index.dat")};
  std::uint64_t bytes = 0;
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (const auto entry = run.port().files.Stat(path); entry.ok() && !entry.value.IsFolder())
      bytes += entry.value.size;
  }
  // Three whenever any of them holds a byte, however many exist.
  if (bytes != 0) AddToItemCount(run, 3);
  SetItemBytes(run, bytes);
  if (run.IsTestMode()) return;
  for (const std::string& path : paths) WipeIndexDatFile(run, path);
  if (VersionClassOf(run.port().system.Version()) == VersionClass::Win9x) {
    std::vector<std::string> lines;
    for (const std::string& path : paths)
      lines.push_back("url=" +
                      (path.empty() ? std::string() : run.port().files.ShortPathName(path)));
    AddWininitRenames(run, lines);
  } else {
    for (const std::string& path : paths)
      if (!path.empty()) (void)DeleteOnReboot(run, path);
  }
}

void CleanIeLastDownloadLocation(RunContext& run) {
  AddToItemCount(run, DeleteValue(run, RootKey::CurrentUser, kIeKey, "Download Directory"));
}

}  // namespace morvel
