#pragma once
// Windows paths as the emulated machine understands them: an absolute path on a drive
// ("C:\Users\User"), split into its names with "." and ".." already applied.

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace morvel::platform::emulated {

struct WindowsPath {
  char drive = 'C';                     // upper-case letter
  std::vector<std::string> components;  // names below the root, as written

  [[nodiscard]] bool IsRoot() const { return components.empty(); }
  // "C:\a\b" ("C:\" for the root).
  [[nodiscard]] std::string ToString() const;
};

// Parses an absolute Windows path. Both "\" and "/" separate names and runs of them count
// as one, as Win32 does. The other spellings of a path on this machine are taken too: the
// device form "\\.\C:\...", the administrative share "\\localhost\C$\..." (or
// "\\127.0.0.1\c$"), and the "\\?\C:\..." and "\\?\UNC\localhost\C$\..." forms, whose
// names stand exactly as written (trailing dots and blanks kept, "\" the only separator,
// "." and ".." refused). InvalidArgument for a relative path ("a\b", "\a", "C:a"), any
// other network path, a ".." that would climb above the root, and a name Windows cannot
// hold (NUL or another control character, one of < > : " | ? *, or nothing left once
// Windows has dropped its trailing dots and blanks).
Result<WindowsPath> ParseWindowsPath(std::string_view text);

// Whether two parsed paths name the same entry, without regard to letter case.
bool SamePath(const WindowsPath& a, const WindowsPath& b);

// Whether a host file name could be a Windows name; entries that could not are never
// reported, since a path built from them would name something else.
bool IsValidWindowsName(std::string_view name);

}  // namespace morvel::platform::emulated
