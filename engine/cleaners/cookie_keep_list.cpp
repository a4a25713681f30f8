#include "engine/cleaners/cookie_keep_list.h"

#include <algorithm>
#include <limits>
#include <map>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/cleaners/cookie_file.h"

namespace morvel {

namespace {

// The numbers below `count_key`'s count of the keys `prefix` + number, and their values.
// A count that is missing or no number (damaged, or too large to read) says nothing about
// how long the list is: every numbered key there is read, rather than none, since a cookie
// that is not kept is deleted.
std::map<long long, std::string> NumberedKeys(const IniDocument& ini, std::string_view count_key,
                                              std::string_view prefix) {
  const long long count = ini.ReadIntegerIf(kCookieKeepSection, count_key)
                              .value_or(std::numeric_limits<long long>::max());
  // Only keys the section holds are looked up, so a huge count costs nothing.
  std::map<long long, std::string> values;
  for (const std::string& line : ini.SectionLines(kCookieKeepSection)) {
    std::string_view key, value;
    if (!SplitIniLine(line, key, value) || key.size() <= prefix.size()) continue;
    if (!SameText(key.substr(0, prefix.size()), prefix)) continue;
    const std::string_view digits = key.substr(prefix.size());
    if (digits.size() > 18) continue;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (digits.size() > 1 && digits[0] == '0') continue;  // "01" is not key 1
    const long long number = std::stoll(std::string(digits));
    if (number < count) values[number] = ini.ReadString(kCookieKeepSection, std::string(key), "");
  }
  return values;
}

}  // namespace

std::vector<std::string> CookieKeepList::Names() const {
  std::vector<std::string> names;
  for (const KeptCookie& cookie : cookies)
    if (!cookie.name.empty()) names.push_back(cookie.name);
  return names;
}

bool CookieKeepList::KeepsSite(std::string_view site) const {
  return !site.empty() && std::any_of(cookies.begin(), cookies.end(),
                                      [&](const KeptCookie& c) { return SameText(c.site, site); });
}

bool CookieKeepList::Keeps(const platform::FolderHandle& folder, std::string_view name) const {
  if (std::any_of(cookies.begin(), cookies.end(),
                  [&](const KeptCookie& c) { return c.name == name; }))
    return true;
  if (std::none_of(cookies.begin(), cookies.end(),
                   [](const KeptCookie& c) { return !c.site.empty(); }))
    return false;
  return KeepsSite(ReadCookieSite(folder, name));
}

CookieKeepList ParseCookieKeepList(std::string_view bytes) {
  const IniDocument ini = IniDocument::Parse(bytes);
  const auto names = NumberedKeys(ini, "Count", "");
  const auto sites = NumberedKeys(ini, "SiteCount", "Site");
  std::map<long long, KeptCookie> numbered;
  for (const auto& [number, name] : names) numbered[number].name = name;
  for (const auto& [number, site] : sites) numbered[number].site = site;
  CookieKeepList list;
  for (auto& [number, cookie] : numbered)
    if (!cookie.name.empty() || !cookie.site.empty()) list.cookies.push_back(std::move(cookie));
  return list;
}

CookieKeepList ReadCookieKeepList(const platform::FileSystem& files,
                                  std::string_view program_folder) {
  const auto bytes = files.ReadFile(std::string(program_folder) + kCookieKeepFile);
  if (!bytes.ok()) return {};
  return ParseCookieKeepList(bytes.value);
}

}  // namespace morvel
