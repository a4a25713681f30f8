#pragma once
// The folders Windows and the installed programs run from. A folder that a program names
// (a built-in location such as the temporary folder, Morvel.dat, another program's data) is
// never emptied or swept when it is, holds or lies inside one of Windows' own system
// folders (system32, SysWOW64, WinSxS and the like) or Morvel's own folder, nor when it is
// or holds a Program Files folder: GetTempPath returns whatever TMP says, and a shell folder
// is whatever its registry value says. A program's own sub-folder of Program Files, and the
// Windows folder's other sub-folders (its Temp), stay allowed where an item names them; so
// do named masks without recursion on a system folder named as the system names it (the
// logs of wbem in system32).

#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace morvel {

struct SystemFolder {
  std::string path;         // as the system names it, without a trailing "\"
  bool with_inside = true;  // every folder inside it is refused too
};

// Windows' system folders and Morvel's folder (with what lies inside them), and the Program
// Files folders, Common Files, the machine's application data, the public profile and the
// low-integrity application data (themselves): from the registry and the shell, and the
// usual places on the Windows drive.
std::vector<SystemFolder> SystemFolders(RunContext& run);

// A system folder with where it really is (it may itself be a junction elsewhere).
struct ResolvedSystemFolder {
  SystemFolder folder;
  std::string real;
};
std::vector<ResolvedSystemFolder> ResolveSystemFolders(RunContext& run);

// Whether a program's folder `named`, which really is `real`, is refused for lying among
// the system folders `folders`. `sweeps`: the item would empty it or go below it; otherwise
// it takes named files or masks of the folder alone, which is allowed where the folder was
// named as it really is (no link led there).
bool IsAmongSystemFolders(const std::vector<ResolvedSystemFolder>& folders, std::string_view named,
                          std::string_view real, bool sweeps);

}  // namespace morvel
