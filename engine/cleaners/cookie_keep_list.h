#pragma once
// The cookie keep list: the Internet Explorer cookie files the user chose to keep, saved
// by the Cookies Manager in "Cookies.dat" beside the program and read afresh by every
// run of the cookie cleaner.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace morvel {

inline constexpr const char* kCookieKeepFile = "Cookies.dat";
inline constexpr const char* kCookieKeepSection = "Cookies to keep";

// The names of keys "0" to Count - 1 of section "Cookies to keep", in that order, empty
// values skipped; keys at or above Count are ignored. A missing file or section is an
// empty list, and a Count larger than the keys present yields only the names present.
std::vector<std::string> ParseCookieKeepList(std::string_view bytes);

// The keep list of Cookies.dat in `program_folder` (with a trailing "\").
std::vector<std::string> ReadCookieKeepList(const platform::FileSystem& files,
                                            std::string_view program_folder);

}  // namespace morvel
