#pragma once
// Every item of the fixed catalogue in one table: its category, its text and what serves
// it. The catalogue's tree, the dispatch and the cleaner behind each key all come from
// here, so a new item is one row.

#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace morvel {

// A cleaner that serves one item key and so needs only the run.
using ItemCleaner = void (*)(RunContext& run);

// What serves an item key.
enum class Service {
  OwnCleaner,   // the row's cleaner; an item whose cleaner is not built yet runs empty
  Definitions,  // the section of the shipped definition file named after the item
  CustomList,   // the custom list's definition file
};

struct ItemRow {
  std::string_view text;
  ItemCleaner clean = nullptr;
  Service service = Service::OwnCleaner;
};

struct CategoryRow {
  std::string_view text;
  int slot;  // the category's image and expansion slot, 1 to 11; not its position
  std::vector<ItemRow> items;
};

// The categories in tree order, each with its items in tree order.
const std::vector<CategoryRow>& ItemTable();

}  // namespace morvel
