#include "engine/community/wildcards.h"

#include "common/text.h"

namespace morvel::community {

namespace {

// The bytes of the UTF-8 character that starts at text[i] (1 for a stray byte).
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (i + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

bool HasWildcard(std::string_view name) { return FindAny(name, "*?") != std::string_view::npos; }

std::size_t FindAny(std::string_view text, std::string_view set, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i)
    for (const char c : set)
      if (text[i] == c) return i;
  return std::string_view::npos;
}

bool MatchesWildcards(std::string_view name, std::string_view pattern) {
  // Greedy, with one point of return: the last "*" met and where the name stood then.
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '?') {
      n += CharacterLength(name, n);  // "?" stands for a character, not a byte of one
      ++p;
    } else if (p < pattern.size() && pattern[p] != '*' &&
               UpperAscii(pattern[p]) == UpperAscii(name[n])) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      star_n += CharacterLength(name, star_n);
      n = star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace morvel::community
