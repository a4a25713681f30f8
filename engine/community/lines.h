#pragma once
// The values of the community file's lines taken apart and checked, one function per kind.
// Each gives the value, or the reason the line cannot be used; nothing is guessed.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/community/entry.h"

namespace morvel::community {

template <class T>
struct Parsed {
  std::optional<T> value;
  std::string why;  // when there is no value

  static Parsed Fail(std::string why) { return {std::nullopt, std::move(why)}; }
};

// "%Variable%\name\name...": a variable of the format first, then names separated by "\"
// (or "/"); empty names vanish, so a trailing "\" changes nothing. Refused: an unknown
// variable, %UserName% or any other variable but %UserName% where a folder is meant, the
// names "." and ".." and names of dots and blanks alone (they step out of the folder),
// characters no Windows name holds (< > " : and control characters), and "*" or "?" in any
// name but the last when `wildcards_in_last_only`.
Parsed<PathPattern> ParsePathPattern(std::string_view text, bool wildcards_in_last_only = false);

// "HKCU\key" (also HKLM, HKU, HKCR and the long names HKEY_...): the root and the path
// below it, without leading or trailing "\". A root alone, an unknown root and an empty
// name inside the path are refused.
Parsed<KeyName> ParseKeyName(std::string_view text);

// "<mask>;<mask>...": masks with "*" and "?" for the files of one folder; empty (every file)
// when one of them is "*" or "*.*". Refused: no mask at all, a mask holding "\", "/" or ":".
Parsed<std::vector<std::string>> ParseMasks(std::string_view text);

// FileKeyN's value: <folder>|<masks>[|RECURSE|REMOVESELF].
Parsed<FileKey> ParseFileKey(std::string_view value);

// RegKeyN's value: <key>[|<value>]. A key that is a root or right below one (HKCU\Software,
// HKLM\SYSTEM; below HKU, a user's hive and the key right below it) holds a whole world
// and is refused, as are its values.
Parsed<RegKey> ParseRegKey(std::string_view value);

// ExcludeKeyN's value: FILE|<folder>\|<names>, PATH|<folder>\[|<masks>], REG|<key>[|<value>].
Parsed<Exclusion> ParseExclusion(std::string_view value);

}  // namespace morvel::community
