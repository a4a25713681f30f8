#pragma once
// Open files, shell deletion, folder removal and deletion at the next start, for
// Win32FileSystem. Paths are UTF-8 Windows paths already checked for wildcards.

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace morvel::platform::win32 {

Result<std::unique_ptr<FileReader>> OpenFileForReading(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileSharedForWriting(std::string_view path);
std::string ShortPathOf(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileExclusive(std::string_view path);
Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(std::string_view path);
Status ShellDeletePath(std::string_view path);
Status RemoveFolderPath(std::string_view path);
Status DeletePathOnReboot(std::string_view path);

}  // namespace morvel::platform::win32
