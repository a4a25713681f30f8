#include "engine/system_folders.h"

#include <array>

#include "common/text.h"
#include "common/windows_names.h"

namespace morvel {

namespace {

// The sub-folders of the Windows folder that Windows itself runs from; its others (Temp,
// Logs, Prefetch) hold what cleaners may take.
constexpr std::array<std::string_view, 14> kWindowsOwn = {
    "System",    "system32", "SysWOW64",   "SysArm32",       "WinSxS",
    "servicing", "assembly", "Installer",  "Microsoft.NET",  "Boot",
    "Fonts",     "inf",      "SystemApps", "SystemResources"};

// The values of HKLM "Software\Microsoft\Windows\CurrentVersion" that name a Program Files
// folder: on 64-bit Windows the registry's 64-bit view names both.
constexpr std::array<std::string_view, 3> kProgramFilesValues = {
    "ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir"};

void Add(std::vector<SystemFolder>& folders, std::string_view path, bool with_inside) {
  const std::string_view trimmed = WithoutTrailingSeparators(path);
  if (!trimmed.empty()) folders.push_back({std::string(trimmed), with_inside});
}

}  // namespace

std::vector<SystemFolder> SystemFolders(RunContext& run) {
  const platform::SystemInfo& system = run.port().system;
  std::vector<SystemFolder> folders;
  const std::string windows(WithoutTrailingSeparators(system.WindowsFolder()));
  if (!windows.empty())
    for (const std::string_view name : kWindowsOwn)
      Add(folders, windows + "\\" + std::string(name), true);
  Add(folders, system.SystemFolder(), true);
  Add(folders, system.ExecutableFolder(), true);
  for (const std::string_view value : kProgramFilesValues)
    if (const auto path = platform::ReadText(run.port().registry, platform::RootKey::LocalMachine,
                                             "Software\\Microsoft\\Windows\\CurrentVersion", value))
      Add(folders, *path, false);
  // The folders every program keeps shared files and data in, themselves: Common Files, the
  // machine's application data, the public profile, the low-integrity application data.
  for (const std::string_view value : {"CommonFilesDir", "CommonFilesDir (x86)"})
    if (const auto path = platform::ReadText(run.port().registry, platform::RootKey::LocalMachine,
                                             "Software\\Microsoft\\Windows\\CurrentVersion", value))
      Add(folders, *path, false);
  for (const auto shared : {platform::SpecialFolder::CommonAppData, platform::SpecialFolder::Public,
                            platform::SpecialFolder::LocalLowAppData})
    Add(folders, system.SpecialFolderPath(shared), false);
  // Where the registry does not say, the places Windows puts them on its own drive.
  if (windows.size() >= 2 && windows[1] == ':') {
    Add(folders, windows.substr(0, 2) + "\\Program Files", false);
    Add(folders, windows.substr(0, 2) + "\\Program Files (x86)", false);
  }
  return folders;
}

std::vector<ResolvedSystemFolder> ResolveSystemFolders(RunContext& run) {
  const platform::FileSystem& files = run.port().files;
  std::vector<ResolvedSystemFolder> resolved;
  for (SystemFolder& folder : SystemFolders(run)) {
    const auto real = files.FinalPath(folder.path);
    std::string where = real.ok() ? real.value : folder.path;
    resolved.push_back({std::move(folder), std::move(where)});
  }
  return resolved;
}

bool IsAmongSystemFolders(const std::vector<ResolvedSystemFolder>& folders, std::string_view named,
                          std::string_view real, bool sweeps) {
  if (!sweeps && SameText(WithoutTrailingSeparators(named), WithoutTrailingSeparators(real)))
    return false;
  for (const ResolvedSystemFolder& folder : folders) {
    if (IsSameOrBelow(folder.real, real)) return true;
    if (folder.folder.with_inside && IsSameOrBelow(real, folder.real)) return true;
  }
  return false;
}

}  // namespace morvel
