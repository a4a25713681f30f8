#include "engine/cleaners/cookie_keep_list.h"

#include <algorithm>
#include <limits>
#include <set>

#include "common/ini_file.h"

namespace morvel {

std::vector<std::string> ParseCookieKeepList(std::string_view bytes) {
  const IniDocument ini = IniDocument::Parse(bytes);
  // A Count that is missing or no number (damaged, or too large to read) says nothing about
  // how long the list is: every numbered key there is read, rather than none, since a
  // cookie that is not kept is deleted.
  const long long count = ini.ReadIntegerIf(kCookieKeepSection, "Count")
                              .value_or(std::numeric_limits<long long>::max());
  // Only keys the section holds are looked up, so a huge Count costs nothing.
  std::set<long long> keys;
  for (const std::string& line : ini.SectionLines(kCookieKeepSection)) {
    std::string_view key, value;
    if (!SplitIniLine(line, key, value) || key.empty() || key.size() > 18) continue;
    if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    if (key.size() > 1 && key[0] == '0') continue;  // "01" is not key 1
    const long long number = std::stoll(std::string(key));
    if (number < count) keys.insert(number);
  }
  std::vector<std::string> names;
  for (long long key : keys) {
    std::string name = ini.ReadString(kCookieKeepSection, std::to_string(key), "");
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

std::vector<std::string> ReadCookieKeepList(const platform::FileSystem& files,
                                            std::string_view program_folder) {
  const auto bytes = files.ReadFile(std::string(program_folder) + kCookieKeepFile);
  if (!bytes.ok()) return {};
  return ParseCookieKeepList(bytes.value);
}

}  // namespace morvel
