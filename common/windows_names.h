#pragma once
// Windows' rules for names and full paths that portable code needs to address exactly the
// entry it found: Win32 quietly rewrites some names ("notes." opens "notes", "con.txt" the
// console), which only the "\\?\" form leaves as they are.

#include <string>
#include <string_view>

namespace morvel {

// Whether Win32's path rules would turn `name` into another name or a device: it ends in
// a dot or a blank, or its part before the first dot is a DOS device (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9).
bool NeedsLiteralName(std::string_view name);

// A full path ("C:\a\b" or "\\server\share\a") as the path that opens exactly that entry:
// the path itself when Win32 takes it as it stands, else its "\\?\" form ("\\?\C:\a\b.",
// "\\?\UNC\server\share\a."), also when it is too long for the plain form. A path already
// in that form is returned as it is.
std::string LiteralPath(std::string_view full_path);

// Whether `path` is a drive root ("C:\", "C:") or the root of a network share
// ("\\server\share", with or without a trailing "\").
bool IsRootPath(std::string_view path);

// `path` without the "\" or "/" at its end (one character always stays).
std::string_view WithoutTrailingSeparators(std::string_view path);

// Whether `inner` is `outer` or lies below it, name by name and without regard to letter
// case ("C:\ab" is not below "C:\a"). Trailing "\" on either side are ignored.
bool IsSameOrBelow(std::string_view inner, std::string_view outer);

}  // namespace morvel
