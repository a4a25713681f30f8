#pragma once
// Which cleaner serves an item key, as the item table says.

#include <string>
#include <string_view>

#include "engine/item_table.h"

namespace morvel {

// Where the run sends an item key: a service and, for an item with its own cleaner, that
// cleaner (null while it is not part of the program).
struct Route {
  Service service = Service::Definitions;
  ItemCleaner clean = nullptr;
  bool operator==(const Route&) const = default;
};

// The first rule that holds: a key containing "Custom Lists -" goes to the custom list;
// then the item table's keys, exact and case-sensitive; anything else to the shipped
// definition file.
Route DispatchKey(std::string_view key);

// The section of a definition file that serves `key`: the text from the second
// character after its first "-" to its end ("Windows - Windows Log Files" gives
// "Windows Log Files"); empty when there is no "-".
std::string DefinitionSectionName(std::string_view key);

}  // namespace morvel
