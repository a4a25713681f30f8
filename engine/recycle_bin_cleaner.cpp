// "Windows - Empty Recycle Bin": the files of every fixed drive's "\Recycled" folder are
// listed (and, when removing, removed) one by one; then the shell empties every bin.
//
// Windows NT keeps its bins elsewhere ("\RECYCLER\<user>", and "\$Recycle.Bin\<user>"
// since Vista), which the scan does not read. So that a Test there does not show 0 while
// Clean empties the bin, a fixed drive whose "\Recycled" was not scanned adds what the
// shell itself counts in the user's bin on that drive: the items the shell's emptying
// removes. No line is logged for them, since the shell names no files.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/file_removal.h"
#include "engine/item_counters.h"
#include "engine/windows_cleaners.h"

namespace morvel {

namespace {

using platform::FileEntry;

std::int32_t ClampedCount(std::int64_t items) {
  if (items <= 0) return 0;
  return items > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(items);
}

// Scans one "\Recycled" folder as written: its bookkeeping files (INFO2, desktop.ini)
// stay for the shell. Returns whether the folder was a bin that could be scanned.
bool ScanRecycledFolder(RunContext& run, const std::string& folder, std::uint64_t& bytes) {
  platform::FileSystem& files = run.port().files;
  if (!files.Exists(folder + "\\INFO2") || !files.Exists(folder + "\\desktop.ini")) return false;
  const bool log = run.options().ShowLogRecycleBin;
  std::vector<FileEntry> entries;
  (void)files.Enumerate(folder, [&entries](const FileEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  for (const FileEntry& entry : entries) {
    if (run.Terminated()) break;
    // A link is not a deleted file: never followed, counted or removed.
    if (entry.IsReparsePoint() || !IsPlainName(entry.name)) continue;
    if (entry.IsFolder()) {
      bytes +=
          CleanSubFolder(run, LiteralPath(folder + "\\" + entry.name), run.ItemCount(), log, "");
      continue;
    }
    if (SameText(entry.name, "desktop.ini") || SameText(entry.name, "info2")) continue;
    if (!RemoveListedFile(run, folder, entry.name, log)) continue;
    AddToItemCount(run, 1);
    bytes += entry.size;
    run.ReportProgress();
  }
  return true;
}

}  // namespace

void CleanRecycleBin(RunContext& run) {
  if (!run.IsTestMode() && !run.options().ShowLogRecycleBin)
    run.AppendLog(std::string("Clearing") + ", " + "please wait...");

  platform::Port& port = run.port();
  std::uint64_t bytes = 0;
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    if (port.system.DriveTypeOf(letter) != platform::DriveType::Fixed) continue;
    const std::string folder = std::string(1, letter) + ":\\Recycled";
    if (!ScanRecycledFolder(run, folder, bytes) && !run.Terminated()) {
      const auto shell_count = port.files.QueryRecycleBin(letter);
      if (shell_count.ok()) {
        AddToItemCount(run, ClampedCount(shell_count.value.items));
        if (shell_count.value.bytes > 0)
          bytes += static_cast<std::uint64_t>(shell_count.value.bytes);
      }
    }
    SetItemBytes(run, bytes);
  }

  // A failing or missing shell is not reported: the scan above has done what it could.
  if (!run.IsTestMode()) (void)port.files.EmptyRecycleBins();
}

}  // namespace morvel
