#include "engine/cleaners/ie_support.h"

#include <chrono>
#include <cstdio>
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

void WipeIndexDatFile(RunContext& run, std::string_view path) {
  if (run.IsTestMode() || path.empty()) return;
  const TOptionsSetting& options = run.options();
  WipeIndexDat(run.port().files, path,
               IndexDatWipePasses(options.OverwriteFile, options.OverwriteNumber),
               [&run, path] { return OpenForWriting(run, path, WriteSharing::ReadWrite); });
}

void WipeIndexDatTree(RunContext& run, std::string_view folder, std::string_view top) {
  if (run.IsTestMode() || folder.empty() || run.Terminated()) return;
  std::vector<platform::FileEntry> entries;
  (void)run.port().files.Enumerate(folder, [&](const platform::FileEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  const std::string base = WithBackslash(std::string(folder));
  for (const platform::FileEntry& entry : entries) {
    if (!IsPlainName(entry.name) || entry.IsReparsePoint()) continue;
    if (entry.IsFolder())
      WipeIndexDatTree(run, base + entry.name, top);
    else if (SameText(entry.name, "index.dat") && folder != top)
      WipeIndexDatFile(run, base + entry.name);
  }
}

}  // namespace morvel
