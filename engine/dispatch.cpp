#include "engine/dispatch.h"

#include "engine/catalogue.h"

namespace morvel {

ParsedKey ParseItemKey(std::string_view key) {
  constexpr std::string_view kJoin = " - ";
  const std::size_t join = key.find(kJoin);
  if (join == std::string_view::npos) return {key, {}};
  return {key.substr(0, join), key.substr(join + kJoin.size())};
}

Route DispatchKey(std::string_view key) {
  const ParsedKey parsed = ParseItemKey(key);
  if (parsed.category == kCustomListsRoot) return {Service::CustomList, nullptr};
  for (const CategoryRow& category : ItemTable()) {
    if (category.text != parsed.category) continue;
    for (const ItemRow& item : category.items)
      if (item.text == parsed.item) return {item.service, &item.actions};
  }
  return {Service::Definitions, nullptr};
}

std::string DefinitionSectionName(std::string_view key) {
  const std::size_t dash = key.find('-');
  if (dash == std::string_view::npos || dash + 2 > key.size()) return {};
  return std::string(key.substr(dash + 2));
}

}  // namespace morvel
