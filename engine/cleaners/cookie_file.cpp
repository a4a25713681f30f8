#include "engine/cleaners/cookie_file.h"

#include <algorithm>
#include <array>
#include <span>

#include "common/text.h"

namespace morvel {

namespace {

constexpr std::size_t kRecordLines = 9;
// Enough for the first record: a cookie's name and value are at most 4 KB.
constexpr std::size_t kSiteReadLimit = 16 * 1024;

std::optional<std::uint32_t> Number(std::string_view text) {
  long long n = 0;
  if (!ParseInt(text, n) || n < 0 || n > 0xFFFFFFFFLL) return std::nullopt;
  return static_cast<std::uint32_t>(n);
}

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' ||
         c == ':' || c == '[' || c == ']';
}

}  // namespace

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::vector<CookieRecord> ParseCookieRecords(std::string_view text) {
  const std::vector<std::string_view> lines = TextLines(text);
  std::vector<CookieRecord> records;
  for (std::size_t at = 0; at + kRecordLines <= lines.size(); at += kRecordLines) {
    const auto low = Number(lines[at + 4]), high = Number(lines[at + 5]);
    if (lines[at + 8] != "*" || !Number(lines[at + 3]) || !low || !high) break;
    records.push_back({std::string(lines[at]), std::string(lines[at + 1]),
                       std::string(lines[at + 2]),
                       (static_cast<std::uint64_t>(*high) << 32) | *low});
  }
  return records;
}

std::string CookieSite(std::string_view text) {
  const std::vector<CookieRecord> records = ParseCookieRecords(text);
  if (records.empty()) return {};
  std::string_view host = records.front().site_path;
  host = host.substr(0, host.find('/'));
  while (host.starts_with('.')) host.remove_prefix(1);
  std::string site;
  for (const char c : host) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (!IsHostCharacter(lower)) return {};
    site += lower;
  }
  return site;
}

std::optional<std::string> ReadHead(const platform::FileReader& reader, std::size_t limit) {
  std::string bytes;
  std::array<std::byte, 4096> buffer;
  while (bytes.size() < limit) {
    const std::size_t want = std::min(buffer.size(), limit - bytes.size());
    const auto read = reader.ReadAt(bytes.size(), std::span(buffer.data(), want));
    if (!read.ok()) return std::nullopt;
    if (read.value == 0) break;
    bytes.append(reinterpret_cast<const char*>(buffer.data()), read.value);
  }
  return bytes;
}

std::string ReadCookieSite(const platform::FolderHandle& folder, std::string_view name) {
  const auto reader = folder.OpenListedFile(name);
  if (!reader.ok()) return {};
  const auto head = ReadHead(*reader.value, kSiteReadLimit);
  return head ? CookieSite(*head) : std::string();
}

}  // namespace morvel
