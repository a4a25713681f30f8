#include "engine/entry_text.h"

#include "common/ini_file.h"

namespace morvel {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string Hex(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return std::string("0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

}  // namespace

std::optional<std::string> EntryTextFault(std::string_view value) {
  // Tab and line ends pass as text in a file, never inside one entry.
  for (const char c : value)
    if (IsControl(c)) return c == '\0' ? std::string("a zero byte") : "control character " + Hex(c);
  if (const auto fault = FindNonText(value)) return fault->what;
  return std::nullopt;
}

std::string ShownEntry(std::string_view value) {
  std::string shown;
  for (const char c : value) {
    if (!IsControl(c))
      shown += c;
    else
      shown += c == '\0' ? std::string("<NUL>") : "<" + Hex(c) + ">";
  }
  if (!FindNonText(shown)) return shown;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  return shown;
}

}  // namespace morvel
