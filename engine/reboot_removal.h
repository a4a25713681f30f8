#pragma once
// Removal of files that are in use until Windows starts again.

#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace morvel {

// Windows NT family: schedules the file's deletion at the next start (MoveFileEx with
// delay until reboot). True when the file does not exist, else whether the scheduling
// succeeded. In Test mode nothing is scheduled and the answer is true.
bool DeleteOnReboot(RunContext& run, std::string_view path);

// Windows 95/98/Me: adds `lines` ("NUL=C:\...") to the [rename] section of Wininit.ini in
// the Windows folder, creating the section (and the file) when missing. Each line goes
// directly after the section line, so they end up in reverse order there. A file that
// exists but cannot be read is left alone. Does nothing in Test mode.
void AddWininitRenames(RunContext& run, const std::vector<std::string>& lines);

}  // namespace morvel
