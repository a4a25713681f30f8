#pragma once
// Names against the community file's patterns.

#include <cstddef>
#include <string_view>

namespace morvel::community {

// Whether the name holds a wildcard, "*" or "?".
bool HasWildcard(std::string_view name);

// The first character of `text` from `from` on that is one of `set`; npos for none. (The
// standard find_first_of asks the set once per character of the text, which a start that
// reads 35,000 lines feels.)
std::size_t FindAny(std::string_view text, std::string_view set, std::size_t from = 0);

}  // namespace morvel::community
