#include "engine/name_mask.h"

#include "common/text.h"

namespace morvel {

namespace {

// `upper_part` is already upper-cased; `text` is compared through UpperAscii.
bool EqualsUpper(std::string_view text, std::string_view upper_part) {
  for (std::size_t i = 0; i < upper_part.size(); ++i)
    if (UpperAscii(text[i]) != upper_part[i]) return false;
  return true;
}

// The bytes of the UTF-8 character that starts at text[i] (1 for a stray byte).
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (i + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

NameMask::NameMask(std::string_view mask) : mask_(mask) {
  const std::size_t star = mask.find('*');
  has_star_ = star != std::string_view::npos;
  if (has_star_) {
    prefix_ = UpperCase(mask.substr(0, star));
    suffix_ = UpperCase(mask.substr(star + 1));
  }
}

bool NameMask::Matches(std::string_view name) const {
  if (mask_ == "*.*" || name == mask_) return true;
  if (!has_star_) return false;
  if (name.size() < prefix_.size() || name.size() < suffix_.size()) return false;
  return EqualsUpper(name.substr(0, prefix_.size()), prefix_) &&
         EqualsUpper(name.substr(name.size() - suffix_.size()), suffix_);
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
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

}  // namespace morvel
