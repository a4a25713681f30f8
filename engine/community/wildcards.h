#pragma once
// Names against the community file's patterns.

#include <string_view>

namespace morvel::community {

// Whether `name` matches `pattern` as Windows matches wildcards: "*" any run of characters,
// "?" any one, the rest compared without regard to letter case.
bool MatchesWildcards(std::string_view name, std::string_view pattern);

}  // namespace morvel::community
