#include "engine/cleaners/windows_cleaners.h"

#include <cstdint>
#include <string>

#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;

constexpr const char* kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

}  // namespace

void CleanRecentDocuments(RunContext& run) {
  AddToItemCount(run,
                 DeleteKey(run, RootKey::CurrentUser, std::string(kExplorerKey) + "\\RecentDocs"));
  platform::SystemInfo& system = run.port().system;
  // The shell's folder lookup may go through WinINet's session; end it first.
  system.EndBrowserSession();
  const std::string recent = system.SpecialFolderPath(platform::SpecialFolder::Recent);
  std::uint64_t bytes = 0;
  // A failed lookup means no folder, never the root of the current drive.
  if (!recent.empty()) bytes = CleanFolderByMask(run, recent, "*.*", run.ItemCount(), false);
  SetItemBytes(run, bytes);
}

void CleanStartRun(RunContext& run) {
  AddToItemCount(run, DeleteKey(run, RootKey::CurrentUser, std::string(kExplorerKey) + "\\RunMRU"));
}

void CleanSearchAssistant(RunContext& run) {
  AddToItemCount(
      run, DeleteKey(run, RootKey::CurrentUser, "Software\\Microsoft\\Search Assistant\\ACMru"));
}

void CleanTemporaryFiles(RunContext& run) {
  const std::string temp = run.port().system.TempFolder();
  std::uint64_t bytes = 0;
  if (!temp.empty())
    bytes = CleanFolder(run, temp, /*remove_folder=*/false, /*log=*/true, "", run.ItemCount());
  SetItemBytes(run, bytes);
}

void CleanClipboard(RunContext& run) {
  if (run.IsTestMode()) return;
  // Nothing to report: an empty clipboard and one that could not be opened look alike.
  (void)run.port().windows.EmptyClipboard();
}

void CleanMemoryDumps(RunContext& run) {
  const std::string windows = run.port().system.WindowsFolder();
  std::uint64_t bytes = 0;
  if (!windows.empty()) {
    const std::string folder = WithBackslash(windows);
    bytes = CleanFileByName(run, folder, "memory.dmp", run.ItemCount());
    bytes += CleanFolderByMask(run, folder + "MiniDump", "*.dmp", run.ItemCount(), false);
  }
  SetItemBytes(run, bytes);
}

void CleanChkdskFragments(RunContext& run) {
  const std::string system = run.port().system.SystemFolder();
  std::uint64_t bytes = 0;
  if (!system.empty()) bytes = CleanFolderByMask(run, system, "File*.chk", run.ItemCount(), false);
  SetItemBytes(run, bytes);
}

}  // namespace morvel
