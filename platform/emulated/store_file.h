#pragma once
// Reading and writing the files of the image's stores, with errors that name the file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace morvel::platform::emulated {

// The file's bytes; nullopt when it is missing. Throws MachineImageError when it is not a
// regular file or cannot be read.
std::optional<std::string> ReadStoreFile(const std::filesystem::path& file);

// Replaces the file atomically. Throws MachineImageError when it cannot be written.
void WriteStoreFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace morvel::platform::emulated
