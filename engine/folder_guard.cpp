#include "engine/folder_guard.h"

#include <string>

#include "common/windows_names.h"

namespace morvel {

bool IsGuardedFolder(RunContext& run, std::string_view folder) {
  if (folder.empty()) return false;
  const platform::FileSystem& files = run.port().files;
  const auto real = files.FinalPath(folder);
  if (!real.ok()) {
    // A folder that cannot be told (a link leading out of reach) is not emptied either.
    return real.status.kind != platform::ErrorKind::NotFound;
  }
  if (IsRootPath(real.value)) return true;
  platform::SystemInfo& system = run.port().system;
  std::vector<std::string> guarded = system.UserDataFolders();
  guarded.push_back(system.WindowsFolder());
  for (const std::string& path : guarded) {
    if (path.empty()) continue;
    // The guarded folder as it really is: Documents may itself be a junction elsewhere.
    const auto guarded_real = files.FinalPath(path);
    if (IsSameOrBelow(guarded_real.ok() ? guarded_real.value : path, real.value)) return true;
  }
  return false;
}

bool SkipGuardedFolder(RunContext& run, std::string_view folder) {
  if (!IsGuardedFolder(run, folder)) return false;
  std::string line = run.LogPrefix();
  line += "skipping ";
  line += folder;
  line += ": a drive root, the user's profile or one of the user's own folders is never emptied";
  run.AppendLog(line);
  run.ScrollLog(0);
  return true;
}

}  // namespace morvel
