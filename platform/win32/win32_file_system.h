#pragma once
// Files and folders through kernel32's "W" functions.

#include <windows.h>

#include <memory>

#include "platform/file_system.h"

namespace morvel::platform::win32 {

// Failures come back as the port's error kinds with the Win32 code. Paths holding the
// wildcards "*" or "?" are refused with InvalidArgument (they would match other files).
// A WriteFile that fails leaves the old file as it was and no temporary file behind.
std::unique_ptr<FileSystem> MakeWin32FileSystem();

// The final path of an open file or folder as FileSystem::FinalPath gives it: every link
// followed, the spelling Windows' own ("C:\Users\User", "C:\" for a root).
Result<std::string> FinalPathOfHandle(HANDLE handle);

}  // namespace morvel::platform::win32
