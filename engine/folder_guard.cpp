#include "engine/folder_guard.h"

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"

namespace morvel {

namespace {

// Whether a program's folder `named`, which really is `real`, must be left alone.
bool RefusedOnProgramWord(RunContext& run, std::string_view named, const std::string& real,
                          FolderReach reach) {
  if (IsRootPath(real)) return true;
  platform::SystemInfo& system = run.port().system;
  const platform::FileSystem& files = run.port().files;
  // The Windows folder is a system folder that items take named files and masks from (its
  // memory dump, its logs): allowed when it was named as the system names it, never when
  // a link planted in another folder's place leads there.
  const std::string windows = system.WindowsFolder();
  std::vector<std::string> guarded = system.UserDataFolders();
  guarded.push_back(windows);
  for (const std::string& path : guarded) {
    if (path.empty()) continue;
    // The guarded folder as it really is: Documents may itself be a junction elsewhere.
    const auto guarded_real = files.FinalPath(path);
    const std::string_view where = guarded_real.ok() ? guarded_real.value : path;
    if (!IsSameOrBelow(where, real)) continue;
    const bool system_folder_itself =
        reach == FolderReach::Files && path == windows &&
        SameText(WithoutTrailingSeparators(named), WithoutTrailingSeparators(path)) &&
        SameText(where, real);
    if (!system_folder_itself) return true;
  }
  return false;
}

constexpr std::string_view kGuardedWhy =
    "a drive root, the user's profile or one of the user's own folders is never emptied";

}  // namespace

std::unique_ptr<platform::FolderHandle> HoldFolder(RunContext& run, std::string_view folder) {
  platform::FileSystem& files = run.port().files;
  const auto real = files.FinalPath(folder);
  if (!real.ok() || real.value.empty()) return nullptr;
  auto held = files.OpenFolder(real.value);
  if (!held.ok() || !held.value) {
    if (held.status.kind == platform::ErrorKind::Link) LogLinkSkipped(run, folder);
    return nullptr;
  }
  return std::move(held.value);
}

bool MayClean(RunContext& run, std::string_view shown, const platform::FolderHandle& folder,
              FolderOrigin origin, FolderReach reach) {
  if (origin != FolderOrigin::Program || !RefusedOnProgramWord(run, shown, folder.Path(), reach))
    return true;
  LogSkipped(run, shown, kGuardedWhy);
  return false;
}

bool IsGuardedFolder(RunContext& run, std::string_view folder) {
  if (folder.empty()) return false;
  const auto real = run.port().files.FinalPath(folder);
  if (!real.ok()) return real.status.kind != platform::ErrorKind::NotFound;
  return RefusedOnProgramWord(run, folder, real.value, FolderReach::Tree);
}

bool SkipGuardedFolder(RunContext& run, std::string_view folder) {
  if (!IsGuardedFolder(run, folder)) return false;
  LogSkipped(run, folder, kGuardedWhy);
  return true;
}

void LogSkipped(RunContext& run, std::string_view path, std::string_view why) {
  std::string line = run.LogPrefix();
  line += "skipping ";
  line += path;
  line += ": ";
  line += why;
  run.AppendLog(line);
  run.ScrollLog(0);
}

void LogLinkSkipped(RunContext& run, std::string_view folder) {
  LogSkipped(run, folder, "a link is never followed");
}

}  // namespace morvel
