#include "common/windows_names.h"

#include <array>

#include "common/text.h"

namespace morvel {

namespace {

// Past this the plain form fails in the ANSI-era path functions (MAX_PATH is 260, and a
// folder must leave room for an 8.3 name below it).
constexpr std::size_t kLongestPlainPath = 240;

bool IsDeviceName(std::string_view base) {
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices)
    if (SameText(base, device)) return true;
  if (base.size() == 4 &&
      (SameText(base.substr(0, 3), "COM") || SameText(base.substr(0, 3), "LPT")))
    return base[3] >= '1' && base[3] <= '9';
  return false;
}

}  // namespace

std::string_view WithoutTrailingSeparators(std::string_view path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
  return path;
}

bool NeedsLiteralName(std::string_view name) {
  if (name.empty()) return false;
  if (name.back() == '.' || name.back() == ' ') return name != "." && name != "..";
  return IsDeviceName(name.substr(0, name.find('.')));
}

std::string LiteralPath(std::string_view full_path) {
  if (full_path.starts_with("\\\\?\\")) return std::string(full_path);
  bool literal = full_path.size() > kLongestPlainPath;
  // The names after the drive ("C:") or after the server and share.
  std::size_t pos = full_path.starts_with("\\\\") ? 2 : 0;
  std::size_t skip = full_path.starts_with("\\\\") ? 2 : 1;
  while (!literal && pos <= full_path.size()) {
    std::size_t end = full_path.find('\\', pos);
    if (end == std::string_view::npos) end = full_path.size();
    if (skip > 0) {
      --skip;
    } else {
      literal = NeedsLiteralName(full_path.substr(pos, end - pos));
    }
    pos = end + 1;
  }
  if (!literal) return std::string(full_path);
  if (full_path.starts_with("\\\\")) return "\\\\?\\UNC\\" + std::string(full_path.substr(2));
  return "\\\\?\\" + std::string(full_path);
}

bool IsRootPath(std::string_view path) {
  path = WithoutTrailingSeparators(path);
  if (path.size() == 2 && path[1] == ':') return true;
  if (path.size() == 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return true;
  if (!path.starts_with("\\\\")) return false;
  // "\\server\share": exactly one separator after the server's name.
  const std::string_view rest = path.substr(2);
  const std::size_t cut = rest.find('\\');
  return cut != std::string_view::npos && cut > 0 && cut + 1 < rest.size() &&
         rest.find('\\', cut + 1) == std::string_view::npos;
}

bool IsSameOrBelow(std::string_view inner, std::string_view outer) {
  inner = WithoutTrailingSeparators(inner);
  outer = WithoutTrailingSeparators(outer);
  if (outer.empty() || inner.size() < outer.size()) return false;
  if (!SameText(inner.substr(0, outer.size()), outer)) return false;
  if (inner.size() == outer.size()) return true;
  // A drive root "C:\" keeps its separator; anything else needs one after it.
  return outer.back() == '\\' || inner[outer.size()] == '\\';
}

}  // namespace morvel
