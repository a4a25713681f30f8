#pragma once
// Which service runs an item key, as the item table says. A key is read once into its
// category and item: the custom list's category goes to Clist.dat, a key of the table runs
// the row's actions, and any other (every Applications item among them) goes to the
// shipped definition file.

#include <string>
#include <string_view>

#include "engine/item_table.h"

namespace morvel {

// A key as the catalogue makes it: category, " - ", item. A key without " - " is a
// category alone.
struct ParsedKey {
  std::string_view category;
  std::string_view item;
};
ParsedKey ParseItemKey(std::string_view key);

// Where the run sends an item key: a service and, for the table's own items, the row's
// actions.
struct Route {
  Service service = Service::Definitions;
  const Actions* actions = nullptr;
  bool operator==(const Route&) const = default;
};

// Categories and items compare exactly, letter case included.
Route DispatchKey(std::string_view key);

// The section of a definition file that serves `key`: the text from the second
// character after its first "-" to its end ("Windows - Windows Log Files" gives
// "Windows Log Files"); empty when there is no "-".
std::string DefinitionSectionName(std::string_view key);

}  // namespace morvel
