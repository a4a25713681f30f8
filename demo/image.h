#pragma once
// The demo: a sample machine image with a settings.ini, the definition file, a custom
// list and traces for the items to find.

#include <filesystem>

namespace morvel::cli {

// Writes the image into `dir`: a new or empty folder, or an earlier demo image, which is
// replaced whole (demo_folder.h); anything else is refused before anything is written.
// `definition_file` is the Morvel.dat to install beside the emulated program, and
// `community_file` the Winapp2.ini (none when empty: the community's items are then not
// offered, though their programs' traces are there).
// Throws std::runtime_error with a one-line message on failure.
void WriteDemoImage(const std::filesystem::path& dir, const std::filesystem::path& definition_file,
                    const std::filesystem::path& community_file = {});

}  // namespace morvel::cli
