#pragma once
// Every item of the fixed catalogue in one table: its category, its text and what serves
// it. The catalogue's tree, the dispatch and each item's actions all come from here, so a
// new item is one row.

#include <string_view>
#include <vector>

#include "engine/action.h"

namespace morvel {

// What serves an item key.
enum class Service {
  OwnActions,   // the row's actions
  Definitions,  // the section of the shipped definition file named after the item
  CustomList,   // the custom list's definition file
};

struct ItemRow {
  std::string_view text;
  Actions actions;
  Service service = Service::OwnActions;
};

struct CategoryRow {
  std::string_view text;
  int slot;  // the category's image and expansion slot, 1 to 11; not its position
  std::vector<ItemRow> items;
};

// The categories in tree order, each with its items in tree order.
const std::vector<CategoryRow>& ItemTable();

}  // namespace morvel
