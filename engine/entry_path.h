#pragma once
// The folder path of a custom-list entry as Windows reads it, before anything is asked
// about it: "/" as "\", repeated separators as one, "." dropped and ".." taking the name
// before it away, as GetFullPathName does, so that "C:\Users\User\Documents\.." is asked
// about as the profile it is, not as Documents. Never above the drive or share it starts
// with. A "\\?\" path is taken literally by Windows and stays as it is; so does a path that
// is not absolute.

#include <string>
#include <string_view>

namespace morvel {

std::string NormalisedEntryPath(std::string_view path);

}  // namespace morvel
