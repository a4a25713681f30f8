#pragma once
// The emulated machine's open files: a host descriptor behind the port's FileReader and
// FileWriter.

#include <filesystem>
#include <memory>

#include "platform/file_system.h"

namespace morvel::platform::emulated {

// Opens a host regular file (never following a link) for reading. AccessDenied for
// anything but a regular file.
Result<std::unique_ptr<FileReader>> OpenHostReader(const std::filesystem::path& file);

// Opens a host regular file (never following a link) for reading and writing.
// AccessDenied for anything but a regular file or when the host refuses writing.
Result<std::unique_ptr<FileWriter>> OpenHostWriter(const std::filesystem::path& file);

}  // namespace morvel::platform::emulated
