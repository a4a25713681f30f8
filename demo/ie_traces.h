#pragma once
// The part of the demo image that the Internet Explorer items find: the cache with its
// index, the history's day folders, cookies (one of them on the keep list), typed URLs
// and search lists, the download folder, form entries, and the URL cache, URL history and
// Protected Storage stores. Beside them lie the browser's things that are no trace (its
// start page, another program's stored items), so a run shows they stay.
//
// The image is a Windows 7 one, whose history day folders lie in History.IE5. For a
// Windows 98 run set machine.ini's [System] to Platform=9x and Version=4.10: the
// Index.dat Files item then writes "url=" lines to C:\Windows\Wininit.ini instead of
// asking Windows to delete the three indexes at the next start.

#include <filesystem>
#include <string>

namespace morvel::cli {

// Registry keys in regedit's text form (UTF-8, LF line ends, no header line), to be
// appended to the image's registry.reg.
std::string DemoIeRegistry();

// Writes the browser's files below the image folder `image` (drive C: and stores/), and
// Cookies.dat into `program`, the program's folder.
void WriteDemoIeFiles(const std::filesystem::path& image, const std::filesystem::path& program);

}  // namespace morvel::cli
