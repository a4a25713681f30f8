#include "engine/folder_guard.h"

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/system_folders.h"

namespace morvel {

namespace {

constexpr std::string_view kGuardedWhy =
    "a drive root, the user's profile or one of the user's own folders is never emptied";
constexpr std::string_view kSystemWhy =
    "the folders Windows, the programs and Morvel run from are never emptied";

// Why a program's folder `named`, which really is `real`, must be left alone; empty when
// it may be cleaned.
std::string_view RefusedOnProgramWord(const GuardedFolders& guarded, std::string_view named,
                                      const std::string& real, FolderReach reach) {
  if (IsRootPath(real)) return kGuardedWhy;
  for (const auto& [path, where] : guarded.user) {
    if (!IsSameOrBelow(where, real)) continue;
    // The Windows folder is a system folder that items take named files and masks from (its
    // memory dump, its logs): allowed when it was named as the system names it, never when
    // a link planted in another folder's place leads there.
    const bool system_folder_itself =
        reach == FolderReach::Files && path == guarded.windows &&
        SameText(WithoutTrailingSeparators(named), WithoutTrailingSeparators(path)) &&
        SameText(where, real);
    if (!system_folder_itself) return kGuardedWhy;
  }
  if (IsAmongSystemFolders(guarded.system, named, real, reach == FolderReach::Tree))
    return kSystemWhy;
  return {};
}

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

GuardedFolders LookUpGuardedFolders(RunContext& run) {
  platform::SystemInfo& system = run.port().system;
  const platform::FileSystem& files = run.port().files;
  GuardedFolders guarded;
  guarded.windows = system.WindowsFolder();
  std::vector<std::string> user = system.UserDataFolders();
  user.push_back(guarded.windows);
  for (std::string& path : user) {
    if (path.empty()) continue;
    // The guarded folder as it really is: Documents may itself be a junction elsewhere.
    const auto real = files.FinalPath(path);
    std::string where = real.ok() ? real.value : path;
    guarded.user.emplace_back(std::move(path), std::move(where));
  }
  guarded.system = ResolveSystemFolders(run);
  return guarded;
}

bool MayClean(RunContext& run, std::string_view shown, const platform::FolderHandle& folder,
              FolderOrigin origin, FolderReach reach, const GuardedFolders* guarded) {
  if (origin != FolderOrigin::Program) return true;
  const std::string_view why = RefusedOnProgramWord(guarded ? *guarded : LookUpGuardedFolders(run),
                                                    shown, folder.Path(), reach);
  if (why.empty()) return true;
  LogSkipped(run, shown, why);
  return false;
}

namespace {

// Why `folder` must not be emptied on a program's word; empty when it may be.
std::string_view WhyGuarded(RunContext& run, std::string_view folder) {
  if (folder.empty()) return {};
  const auto real = run.port().files.FinalPath(folder);
  if (!real.ok())
    return real.status.kind == platform::ErrorKind::NotFound ? std::string_view{} : kGuardedWhy;
  return RefusedOnProgramWord(LookUpGuardedFolders(run), folder, real.value, FolderReach::Tree);
}

}  // namespace

bool IsGuardedFolder(RunContext& run, std::string_view folder) {
  return !WhyGuarded(run, folder).empty();
}

bool SkipGuardedFolder(RunContext& run, std::string_view folder) {
  const std::string_view why = WhyGuarded(run, folder);
  if (why.empty()) return false;
  LogSkipped(run, folder, why);
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
