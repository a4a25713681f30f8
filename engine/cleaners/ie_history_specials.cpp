// The special steps of Internet Explorer's history and cache items: the URL history store
// and the WinINet URL cache (COM and WinINet own them), the history's day folders (chosen
// by the Windows version and today's date), the typed URLs' lines, and the index.dat files,
// overwritten in place and removed at the next start.

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/cleaners/ie_support.h"
#include "engine/folder_lookups.h"
#include "engine/reboot_removal.h"
#include "engine/special_steps.h"

namespace morvel {

namespace {

using platform::RootKey;
using platform::SpecialFolder;
using platform::UrlAction;

constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kIndexDat = "index.dat";

// One URL of the history store or the cache: counted, logged, reported.
void CountUrl(Executor& executor, Tally& tally, std::string_view url) {
  RunContext& run = executor.run();
  tally.AddItems(1);
  executor.Counted(1);
  if (!run.FastLog()) {
    run.AppendLog(run.LogPrefix() + "deleting " + std::string(url));
    run.ScrollLog(50);
  }
  executor.ReportProgress();
}

// What a walk does with a URL it counted: in Test mode it stays.
UrlAction Removal(RunContext& run) {
  return run.IsTestMode() ? UrlAction::Next : UrlAction::Delete;
}

// The history's day folders: on the Vista class every folder of "Low\History.IE5" but
// today's, whole, the files lying directly there staying; elsewhere the files of
// "History.IE5" and its emptied folders, its indexes staying. Returns the folder below
// which the indexes are then wiped.
Where DayFolders(RunContext& run, CleanFolder& days) {
  if (VersionClassOf(run.port().system.Version()) == VersionClass::Vista) {
    days.where = Below(Anchor::History, {"Low", "History.IE5"});
    days.keep.top_files = true;
    if (const std::string marker = TodaysHistoryMarker(run); !marker.empty())
      days.keep.folders = {"*" + marker + "*"};
    return Below(Anchor::History, {});
  }
  days.where = Below(Anchor::History, {"History.IE5"});
  days.keep.names = {kIndexDat};
  return days.where;
}

}  // namespace

Tally ListTypedUrls(Executor& executor) {
  RunContext& run = executor.run();
  if (run.FastLog()) return {};
  if (auto values = run.port().registry.Values(RootKey::CurrentUser, kTypedUrls)) {
    for (const platform::RegistryValue& value : values.value)
      run.AppendLog(run.LogPrefix() + "deleting " + value.AsText().value_or(""));
  }
  run.ScrollLog(0);
  return {};
}

Tally CleanUrlHistory(Executor& executor) {
  RunContext& run = executor.run();
  Tally tally;
  // A store that cannot be created or enumerated leaves this step empty.
  (void)run.port().internet.WalkUrlHistory([&](std::string_view url) {
    if (run.Terminated()) return UrlAction::Stop;
    CountUrl(executor, tally, url);
    return Removal(run);
  });
  return tally;
}

Tally CleanUrlCache(Executor& executor) {
  RunContext& run = executor.run();
  Tally tally;
  // The cache's history and cookie entries, and other schemes, stay.
  run.port().internet.WalkUrlCache([&](std::string_view url) {
    if (run.Terminated()) return UrlAction::Stop;
    if (!url.starts_with("http://")) return UrlAction::Next;
    CountUrl(executor, tally, url);
    return Removal(run);
  });
  return tally;
}

Tally CleanHistoryFolders(Executor& executor) {
  RunContext& run = executor.run();
  CleanFolder days = FolderAction({});
  const Where top = DayFolders(run, days);
  Tally tally = executor.Run(Action(days));
  // The index directly in the top folder is the Index.dat Files item's.
  executor.ForEachFolder(top, [&run](Executor::Reached& reached) {
    WipeIndexDatTree(run, reached.folder, reached.shown);
  });
  return tally;
}

Tally WipeIndexDatIn(Executor& executor, const Special& special) {
  RunContext& run = executor.run();
  if (run.IsTestMode()) return {};
  executor.ForEachFolder(special.where, [&](Executor::Reached& reached) {
    WipeIndexDatFile(run, reached.folder, reached.shown, special.file);
  });
  return {};
}

Tally CleanIndexDatFiles(Executor& executor) {
  RunContext& run = executor.run();
  run.AppendLog("Warning: This will take effect next time windows is rebooted.");
  struct Index {
    Where where;
    std::string path;  // as Windows is asked to remove it
    bool exists = false;
  };
  // A folder whose lookup failed has no index: never a path relative to the current folder.
  auto index_in = [&run](SpecialFolder folder, Anchor anchor, std::vector<std::string> below) {
    const std::string found = BrowserFolder(run, folder);
    std::string path = found.empty() ? std::string() : WithBackslash(found);
    if (!path.empty())
      for (const std::string& name : below) path += name + "\\";
    if (!path.empty()) path += kIndexDat;
    return Index{Below(anchor, below), path, false};
  };
  std::vector<Index> indexes = {
      index_in(SpecialFolder::Cookies, Anchor::Cookies, {}),
      index_in(SpecialFolder::InternetCache, Anchor::InternetCache, {"Content.IE5"}),
      index_in(SpecialFolder::History, Anchor::History, {"History.IE5"})};
  Tally tally;
  for (Index& index : indexes) {
    executor.ForEachFolder(index.where, [&](Executor::Reached& reached) {
      (void)reached.folder.Enumerate([&](const platform::FileEntry& entry) {
        if (entry.IsFolder() || !SameText(entry.name, kIndexDat)) return true;
        index.exists = true;
        tally.bytes += entry.size;
        return false;
      });
    });
  }
  // Three whenever any of them holds a byte, however many exist.
  if (tally.bytes != 0) {
    tally.AddItems(3);
    executor.Counted(3);
  }
  const bool nine_x = VersionClassOf(run.port().system.Version()) == VersionClass::Win9x;
  if (run.IsTestMode()) {
    for (const Index& index : indexes)
      if (index.exists) tally.Leave({index.path, LeftReason::AtRestart});
    return tally;
  }
  for (const Index& index : indexes) {
    executor.ForEachFolder(index.where, [&run](Executor::Reached& reached) {
      WipeIndexDatFile(run, reached.folder, reached.shown, kIndexDat);
    });
  }
  if (nine_x) {
    std::vector<std::string> lines;
    for (const Index& index : indexes)
      lines.push_back("url=" + (index.path.empty() ? std::string()
                                                   : run.port().files.ShortPathName(index.path)));
    AddWininitRenames(run, lines);
    for (const Index& index : indexes)
      if (index.exists) tally.Leave({index.path, LeftReason::AtRestart});
    return tally;
  }
  for (const Index& index : indexes) {
    if (index.path.empty()) continue;
    const bool scheduled = DeleteOnReboot(run, index.path);
    if (index.exists)
      tally.Leave({index.path, scheduled ? LeftReason::AtRestart : LeftReason::AccessDenied});
  }
  return tally;
}

}  // namespace morvel
