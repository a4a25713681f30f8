// The special steps of the Windows items: the recycle bin, the clipboard, and the line a
// quiet removal writes first.
//
// "Windows - Empty Recycle Bin": the files of every fixed drive's "\Recycled" folder are
// listed (and, when removing, removed) one by one; then the shell empties every bin.
// Windows NT keeps its bins elsewhere ("\RECYCLER\<user>", and "\$Recycle.Bin\<user>"
// since Vista), which the scan does not read. So that a Test there does not show 0 while
// Clean empties the bin, a fixed drive whose "\Recycled" was not scanned adds what the
// shell itself counts in the user's bin on that drive: the items the shell's emptying
// removes. No line is logged for them, since the shell names no files.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "common/text.h"
#include "engine/file_removal.h"
#include "engine/special_steps.h"

namespace morvel {

namespace {

std::int32_t ClampedCount(std::int64_t items) {
  if (items <= 0) return 0;
  return items > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(items);
}

// The bookkeeping of a bin: it stays for the shell.
const std::vector<std::string> kBookkeeping = {"desktop.ini", "INFO2"};

// Whether a "\Recycled" folder is a bin: it holds both of its bookkeeping files.
bool IsRecycleBin(const platform::FolderHandle& folder) {
  std::size_t found = 0;
  (void)folder.Enumerate([&found](const platform::FileEntry& entry) {
    if (std::any_of(kBookkeeping.begin(), kBookkeeping.end(),
                    [&entry](const std::string& name) { return SameText(name, entry.name); }))
      ++found;
    return true;
  });
  return found == kBookkeeping.size();
}

}  // namespace

Tally ClearingNotice(Executor& executor, const Special& special) {
  RunContext& run = executor.run();
  const TOptionsSetting& options = run.options();
  // Only the class's own setting decides: without per-file lines a long removal says it
  // is under way, also in Fast Mode.
  bool files_shown = special.log == LogClass::Always;
  if (special.log == LogClass::RecycleBin) files_shown = options.ShowLogRecycleBin;
  if (special.log == LogClass::TempInternetFiles) files_shown = options.ShowLogTempInternetFiles;
  if (!run.IsTestMode() && !files_shown)
    run.AppendLog(std::string("Clearing") + ", " + "please wait...");
  return {};
}

Tally EmptyRecycleBin(Executor& executor) {
  RunContext& run = executor.run();
  platform::Port& port = run.port();
  CleanFolder scan = FolderAction({});
  scan.keep.top_names = kBookkeeping;
  scan.log = LogClass::RecycleBin;
  Tally tally;
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    if (port.system.DriveTypeOf(letter) != platform::DriveType::Fixed) continue;
    // The bin as written on the drive, entered inside the drive's root: a bin that is
    // really a guarded folder is skipped, a link in its place is not entered.
    const Where bin = Then(InFolder(std::string(1, letter) + ":\\"), Named({"Recycled"}));
    bool scanned = false;
    executor.ForEachFolder(
        bin,
        [&](Executor::Reached& recycled) {
          if (!IsRecycleBin(recycled.folder)) return;
          scanned = true;
          tally.Add(executor.CleanReached(recycled, scan));
        },
        &tally);
    if (scanned || run.Terminated()) continue;
    const auto shell_count = port.files.QueryRecycleBin(letter);
    if (!shell_count.ok()) continue;
    const std::int32_t items = ClampedCount(shell_count.value.items);
    tally.AddItems(items);
    executor.Counted(items);
    if (shell_count.value.bytes > 0)
      tally.bytes += static_cast<std::uint64_t>(shell_count.value.bytes);
  }
  // A failing or missing shell is not reported: the scan above has done what it could.
  if (!run.IsTestMode()) (void)port.files.EmptyRecycleBins();
  return tally;
}

Tally EmptyClipboard(Executor& executor) {
  RunContext& run = executor.run();
  // Nothing to report: an empty clipboard and one that could not be opened look alike.
  if (!run.IsTestMode()) (void)run.port().windows.EmptyClipboard();
  return {};
}

}  // namespace morvel
