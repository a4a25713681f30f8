#include "engine/cleaners/browser_folders.h"

#include <vector>

#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"

namespace morvel {

bool IsBrowserFolder(RunContext& run, const std::string& path) {
  if (path.empty()) return false;
  const auto entry = run.port().files.Stat(path);
  return entry.ok() && entry.value.IsFolder() && !SkipGuardedFolder(run, path);
}

bool IsPlainFolder(RunContext& run, const std::string& path) {
  const auto entry = run.port().files.Stat(path);
  return entry.ok() && entry.value.IsFolder() && !entry.value.IsReparsePoint();
}

std::string LocalAppDataFolder(RunContext& run) {
  return WithBackslash(
      platform::ReadText(run.port().registry, platform::RootKey::CurrentUser,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                         "Local AppData")
          .value_or(std::string()));
}

void ForEachSubfolder(RunContext& run, const std::string& folder,
                      const std::function<bool(const std::string& path)>& visit) {
  // Listed first, visited after: a visit may change the folder it is listed from.
  std::vector<std::string> names;
  (void)run.port().files.Enumerate(folder, [&](const platform::FileEntry& entry) {
    if (entry.IsFolder() && !entry.IsReparsePoint() && IsPlainName(entry.name))
      names.push_back(entry.name);
    return true;
  });
  const std::string parent = WithBackslash(folder);
  for (const std::string& name : names) {
    if (run.Terminated() || !visit(parent + name)) return;
  }
}

std::uint64_t CleanMasks(RunContext& run, const std::string& folder,
                         std::initializer_list<std::string_view> masks, bool recurse) {
  std::uint64_t bytes = 0;
  for (std::string_view mask : masks)
    bytes += CleanFolderByMask(run, folder, mask, run.ItemCount(), recurse);
  return bytes;
}

std::uint64_t SweepCache(RunContext& run, const std::string& cache, bool log) {
  if (!IsPlainFolder(run, cache)) return 0;
  return CleanFolder(run, cache, /*remove_folder=*/false, log, "", run.ItemCount());
}

void WriteClearingLine(RunContext& run) {
  if (!run.IsTestMode() && !run.options().ShowLogTempInternetFiles)
    run.AppendLog(std::string("Clearing") + ", " + "please wait...");
}

}  // namespace morvel
