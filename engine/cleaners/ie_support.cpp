#include "engine/cleaners/ie_support.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/text.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/write_door.h"
#include "stores/index_dat_wipe.h"

namespace morvel {

VersionClass VersionClassOf(const platform::WindowsVersion& version) {
  if (version.family == platform::WindowsFamily::Nt)
    return version.major == 6 && version.minor != 1 ? VersionClass::Vista : VersionClass::Neither;
  const bool nine_x =
      version.major == 4 && (version.minor == 0 || version.minor == 10 || version.minor == 90);
  return nine_x ? VersionClass::Win9x : VersionClass::Neither;
}

std::string BrowserFolder(platform::SystemInfo& system, platform::SpecialFolder folder) {
  system.EndBrowserSession();
  return system.SpecialFolderPath(folder);
}

std::string BrowserFolder(RunContext& run, platform::SpecialFolder folder) {
  return BrowserFolder(run.port().system, folder);
}

std::string TodaysHistoryMarker(RunContext& run) {
  // Now as a FILETIME: 100-nanosecond steps since 1601, of which 11644473600 s before 1970.
  const auto since_1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  const std::uint64_t filetime =
      (static_cast<std::uint64_t>(since_1970.count()) + 11644473600ULL * 1000000ULL) * 10ULL;
  const auto local = run.port().system.FileTimeToLocalCalendar(filetime);
  if (!local) return {};
  char date[16];
  std::snprintf(date, sizeof date, "%04u%02u%02u", local->year, local->month, local->day);
  return std::string("MSHist01") + date;
}

void WipeIndexDatFile(RunContext& run, const platform::FolderHandle& folder,
                      std::string_view shown_folder, std::string_view name) {
  if (run.IsTestMode() || name.empty()) return;
  const TOptionsSetting& options = run.options();
  platform::FileSystem& files = run.port().files;
  // The file of the folder that is held, where it really is; the log names it as reached.
  const std::string real = WithBackslash(folder.Path()) + std::string(name);
  const std::string shown = std::string(shown_folder) + std::string(name);
  WipeIndexDat(files, real, IndexDatWipePasses(options.OverwriteFile, options.OverwriteNumber),
               [&run, &files, &real, &shown] {
                 return PassWriteDoor(run, shown, files.OpenSharedForWriting(real),
                                      WriteRefusal::Logged);
               });
}

void WipeIndexDatTree(RunContext& run, platform::FolderHandle& top, const std::string& shown) {
  if (run.IsTestMode()) return;
  // A stack of held folders in place of recursion: a deep tree cannot exhaust the stack,
  // and the work goes in the order of the recursive walk.
  struct Frame {
    platform::FolderHandle* folder;
    std::unique_ptr<platform::FolderHandle> owned;
    std::string shown;
    std::vector<platform::FileEntry> entries;
    std::size_t next = 0;
  };
  std::vector<Frame> stack;
  const auto push = [&stack](platform::FolderHandle* folder,
                             std::unique_ptr<platform::FolderHandle> owned, std::string at) {
    Frame frame{folder, std::move(owned), std::move(at), {}, 0};
    (void)folder->Enumerate([&frame](const platform::FileEntry& entry) {
      frame.entries.push_back(entry);
      return true;
    });
    stack.push_back(std::move(frame));
  };
  push(&top, nullptr, shown);
  while (!stack.empty() && !run.Terminated()) {
    Frame& frame = stack.back();
    if (frame.next == frame.entries.size()) {
      stack.pop_back();
      continue;
    }
    const platform::FileEntry entry = frame.entries[frame.next++];
    if (!IsPlainName(entry.name) || entry.IsReparsePoint()) continue;
    if (!entry.IsFolder()) {
      // The one directly in the top folder is left to the Index.dat Files item.
      if (stack.size() > 1 && SameText(entry.name, "index.dat"))
        WipeIndexDatFile(run, *frame.folder, frame.shown, entry.name);
      continue;
    }
    auto sub = frame.folder->OpenSubFolder(entry.name);
    if (!sub.ok() || !sub.value) continue;
    platform::FolderHandle* folder = sub.value.get();
    push(folder, std::move(sub.value), frame.shown + entry.name + "\\");  // `frame` dangles
  }
}

}  // namespace morvel
