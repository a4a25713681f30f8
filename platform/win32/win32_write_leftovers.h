#pragma once
// The temporaries of whole-file writes (FileSystem::WriteFile writes a temporary beside the
// file, then puts it in the file's place). Each is named after the process that writes it,
// "~mv<process id>-<number>.tmp", so that a write killed halfway, which leaves its temporary
// behind, is told from one under way: the next start removes the temporaries of processes
// that have ended.

#include <windows.h>

#include <string>
#include <string_view>

namespace morvel::platform::win32 {

// The temporary's name for this process and `number`.
std::wstring WriteTemporaryName(DWORD number);

// Removes from `folder` every file named as a temporary whose process has ended. Folders,
// links and any other name are left alone.
void RemoveWriteLeftovers(std::string_view folder);

}  // namespace morvel::platform::win32
