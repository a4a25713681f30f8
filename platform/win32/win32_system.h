#pragma once
// Facts about the process and the machine, and the desktop's top-level windows.

#include <memory>

#include "platform/system_info.h"

namespace morvel::platform::win32 {

// ExecutableFolder is the folder of the running .exe (GetModuleFileName) with a trailing
// "\"; Version is what GetVersionEx reports, which on Windows 8.1 and later is capped at
// the version the program's manifest declares.
std::unique_ptr<SystemInfo> MakeWin32SystemInfo();

// TopLevelWindowExists is FindWindow(class, no title): hidden windows count, child
// windows and message-only windows do not.
std::unique_ptr<WindowSystem> MakeWin32WindowSystem();

}  // namespace morvel::platform::win32
