#pragma once
// Where Internet Explorer keeps its cookie files, and which entries there are cookies: one
// answer for the cookie cleaner and the Cookies Manager, so that the dialog lists exactly
// the files a Clean would remove.

#include <string>

#include "platform/file_system.h"
#include "platform/system_info.h"

namespace morvel {

// The cookie folder with a trailing "\": the shell's cookie folder (after ending the
// browser session), else "c:\windows\cookies"; its "Low" sub-folder instead when only that
// one holds "*.txt" files (protected mode). Empty when neither folder exists.
std::string IeCookieFolder(platform::SystemInfo& system, const platform::FileSystem& files);

// A cookie file: a plain file (not a folder, not a link, whose contents could lie outside
// the folder) whose name contains ".txt", letter case included, anywhere.
bool IsCookieFile(const platform::FileEntry& entry);

}  // namespace morvel
