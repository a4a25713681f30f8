#pragma once
// The folder the demo writes its image into. The demo writes only into a new folder, an
// empty one, or an earlier demo image, which it recognises by the note it leaves in every
// image and clears before writing; never through a link, and never over anything else.

#include <filesystem>

namespace morvel::cli {

// The note every demo image holds at its top.
inline constexpr const char* kDemoNoteName = "morvel-demo.txt";
inline constexpr const char* kDemoNote =
    "This folder is a sample machine image written by \"morvel demo\". Running the demo again "
    "on it replaces the whole folder.\r\n";

// Makes `dir` ready for the image and returns it as the image is to be written to (without
// a trailing separator, which would have a link followed): a new folder is made, an empty
// one taken as it is, an earlier demo image emptied. Anything else (a link, a file, a folder
// that holds other things) throws std::runtime_error with a one-line reason, and nothing is
// written.
std::filesystem::path PrepareDemoFolder(const std::filesystem::path& dir);

}  // namespace morvel::cli
