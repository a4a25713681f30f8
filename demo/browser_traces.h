#pragma once
// The part of the demo image that the Firefox, Chrome, Opera and Netscape cleaners find:
// each browser's profiles where it keeps them, with real SQLite databases, beside what the
// browsers keep that no item takes (bookmarks, a profile that is not the default one's
// history, newer cache layouts).

#include <filesystem>

namespace morvel::cli {

// Writes the browser files below `c`, the folder of drive C:.
void WriteDemoBrowserFiles(const std::filesystem::path& c);

}  // namespace morvel::cli
