#pragma once
// File-name masks of the cleaners: "*.*", an exact name ("memory.dmp"), or one star
// ("*.tmp", "File*.chk", "ab*ba").

#include <string>
#include <string_view>

namespace morvel {

class NameMask {
 public:
  explicit NameMask(std::string_view mask);

  // "*.*" matches every name. A mask without "*" matches only the same name, letter case
  // included. Otherwise the name matches when it starts with the text before the first
  // "*" and ends with the text after it, both compared ignoring letter case and tested
  // independently (so "ab*ba" matches "aba"). Only the first "*" is a wildcard: "?" and
  // any later "*" are plain characters.
  [[nodiscard]] bool Matches(std::string_view name) const;

  // Whether the mask could match every name of a folder (it is empty or has a "*").
  [[nodiscard]] bool IsWide() const { return mask_.empty() || has_star_; }

  // Whether the mask matches every name ("*.*", "*"): it empties the folder's files.
  [[nodiscard]] bool TakesEveryName() const {
    return mask_ == "*.*" || (has_star_ && prefix_.empty() && suffix_.empty());
  }

 private:
  std::string mask_;
  bool has_star_ = false;
  std::string prefix_;  // upper-cased
  std::string suffix_;  // upper-cased
};

// Whether `name` matches `pattern` as Windows matches wildcards in a name: "*" any run of
// characters, "?" any one (of a UTF-8 name, a character rather than a byte), the rest
// compared without regard to letter case. Used for the folders an action walks into or
// leaves alone and for a community definition's masks, not for NameMask's masks.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace morvel
