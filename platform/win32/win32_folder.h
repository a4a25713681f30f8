#pragma once
// Folders held open for the scans (FolderHandle) on Win32.

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace morvel::platform::win32 {

// Opens the folder `final_path` (as FinalPath gives it, wildcards already refused) and
// holds it without delete sharing. Link when the folder, or a folder above it, turns out
// to be a link: the handle's own final path must be the one asked for.
Result<std::unique_ptr<FolderHandle>> OpenFolderHandle(std::string_view final_path);

}  // namespace morvel::platform::win32
