#pragma once
// The part of the demo image that the built-in cleaners of Windows, Advanced, Microsoft
// Office and the messengers find: recent-document lists, Run and search histories, shell
// caches, the recycle bins, memory dumps, disk-check fragments, Office's recent lists and
// the messengers' logs, each where Windows or the program writes it. Beside each trace
// lies something of the same program that is no trace (a setting, another account's logs,
// a program file), so a run shows the cleaners take only what they should.

#include <filesystem>
#include <string>

namespace morvel::cli {

// Registry keys in regedit's text form (UTF-8, LF line ends, no header line), to be
// appended to the image's registry.reg.
std::string DemoSystemRegistry();

// Writes the trace files into the image folder `image`: drives C:, D: (a second fixed
// disk with a FAT-style recycle bin) and E: (a USB stick), and the clipboard's text.
void WriteDemoSystemFiles(const std::filesystem::path& image);

}  // namespace morvel::cli
