#include "engine/folder_lookups.h"

namespace morvel {

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string GetMyDocumentsFolder(RunContext& run) {
  return WithBackslash(run.port().system.SpecialFolderPath(platform::SpecialFolder::Personal));
}

std::string GetAppDataFolder(RunContext& run) {
  platform::SystemInfo& system = run.port().system;
  // The shell's folder lookup may go through WinINet's session; end it first.
  system.EndBrowserSession();
  // A failed lookup stays empty rather than becoming "\", which callers would extend
  // into paths on the root of the current drive.
  return WithBackslash(system.SpecialFolderPath(platform::SpecialFolder::AppData));
}

}  // namespace morvel
