#include "engine/community/wildcards.h"

#include "common/text.h"

namespace morvel::community {

bool HasWildcard(std::string_view name) { return FindAny(name, "*?") != std::string_view::npos; }

std::size_t FindAny(std::string_view text, std::string_view set, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i)
    for (const char c : set)
      if (text[i] == c) return i;
  return std::string_view::npos;
}

}  // namespace morvel::community
