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

}  // namespace morvel
