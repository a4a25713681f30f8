#include "engine/dispatch.h"

namespace morvel {

namespace {

// Whether `key` is `category`, " - " and `item`, without building the text.
bool IsItemKey(std::string_view key, std::string_view category, std::string_view item) {
  constexpr std::string_view kJoin = " - ";
  return key.size() == category.size() + kJoin.size() + item.size() && key.starts_with(category) &&
         key.substr(category.size(), kJoin.size()) == kJoin && key.ends_with(item);
}

}  // namespace

Route DispatchKey(std::string_view key) {
  if (key.find("Custom Lists -") != std::string_view::npos) return {Service::CustomList, nullptr};
  for (const CategoryRow& category : ItemTable())
    for (const ItemRow& item : category.items)
      if (IsItemKey(key, category.text, item.text)) return {item.service, item.clean};
  return {Service::Definitions, nullptr};
}

std::string DefinitionSectionName(std::string_view key) {
  const std::size_t dash = key.find('-');
  if (dash == std::string_view::npos || dash + 2 > key.size()) return {};
  return std::string(key.substr(dash + 2));
}

}  // namespace morvel
