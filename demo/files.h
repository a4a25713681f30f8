#pragma once
// Small writers shared by the parts of the demo image.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace morvel::cli {

// Writes `bytes` to `file`, creating its folders. Throws std::runtime_error on failure.
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// Windows text files carry CRLF line ends.
std::string Crlf(std::string_view text);

// A file of `size` bytes with recognisable content.
std::string Filler(std::size_t size, char seed);

}  // namespace morvel::cli
