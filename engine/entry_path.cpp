#include "engine/entry_path.h"

#include <algorithm>
#include <vector>

#include "common/text.h"

namespace morvel {

namespace {

// The length of the part no ".." may climb out of: "C:\", "\\.\C:\", "\\server\share\";
// 0 when the path has none of these forms.
std::size_t AnchorLength(std::string_view path) {
  const auto is_drive = [](std::string_view p) {
    return p.size() >= 3 && UpperAscii(p[0]) >= 'A' && UpperAscii(p[0]) <= 'Z' && p[1] == ':' &&
           p[2] == '\\';
  };
  if (is_drive(path)) return 3;
  if (path.starts_with("\\\\.\\") && is_drive(path.substr(4))) return 7;
  if (!path.starts_with("\\\\") || path.starts_with("\\\\.\\")) return 0;
  // \\server\share\: two names after the leading separators.
  const std::size_t server_end = path.find('\\', 2);
  if (server_end == std::string_view::npos || server_end == 2) return 0;
  const std::size_t share_end = path.find('\\', server_end + 1);
  if (share_end == server_end + 1) return 0;
  return share_end == std::string_view::npos ? path.size() : share_end + 1;
}

}  // namespace

std::string NormalisedEntryPath(std::string_view path) {
  std::string slashes(path);
  std::replace(slashes.begin(), slashes.end(), '/', '\\');
  if (slashes.starts_with("\\\\?\\")) return std::string(path);
  const std::size_t anchor = AnchorLength(slashes);
  if (anchor == 0) return std::string(path);
  std::vector<std::string_view> names;
  const std::string_view rest = std::string_view(slashes).substr(anchor);
  for (std::size_t at = 0; at <= rest.size();) {
    std::size_t end = rest.find('\\', at);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view name = rest.substr(at, end - at);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    at = end + 1;
  }
  std::string normal = slashes.substr(0, anchor);
  if (!normal.ends_with('\\')) normal += '\\';
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) normal += '\\';
    normal += names[i];
  }
  return normal;
}

}  // namespace morvel
