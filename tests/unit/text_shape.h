#pragma once
// Whether a text has a shape: each '9' of `shape` stands for any digit, every other
// character for itself ("9999-99-99T99:99:99Z" for a UTC time as reports write it).

#include <string>
#include <string_view>
#include <vector>

namespace morvel::testing {

inline bool HasShape(std::string_view text, std::string_view shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (shape[i] == '9' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i]) return false;
  }
  return true;
}

inline constexpr std::string_view kUtcTimeShape = "9999-99-99T99:99:99Z";

// The fields of a line split at each `separator`.
inline std::vector<std::string> Fields(std::string_view line, char separator) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(separator, start);
    fields.emplace_back(line.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

}  // namespace morvel::testing
