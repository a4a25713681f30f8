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
#include <string_view>

#include "engine/file_removal.h"
#include "engine/item_counters.h"
#include "engine/windows_cleaners.h"

namespace morvel {

namespace {

std::int32_t ClampedCount(std::int64_t items) {
  if (items <= 0) return 0;
  return items > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(items);
}

// The bookkeeping of a bin: it stays for the shell.
constexpr std::string_view kBookkeeping[] = {"desktop.ini", "INFO2"};

// Scans one "\Recycled" folder as written, through the door: a bin that is really a guarded
// folder is skipped, and a folder inside it is entered only as itself. Returns whether the
// folder was a bin that could be scanned.
bool ScanRecycledFolder(RunContext& run, const std::string& folder, std::uint64_t& bytes) {
  platform::FileSystem& files = run.port().files;
  if (!files.Exists(folder + "\\INFO2") || !files.Exists(folder + "\\desktop.ini")) return false;
  auto held = EnterFolder(run, folder, FolderOrigin::Program, FolderReach::Tree);
  if (!held) return true;
  bytes += CleanHeldFolder(run, std::move(held), folder, run.options().ShowLogRecycleBin,
                           kBookkeeping, run.ItemCount());
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
