#pragma once
// The autocomplete cleaner's walk over the Protected Storage, as the tests run it: every
// item of every subtype of the types named exactly "Internet Explorer", deleted in Clean
// mode, only listed in Test mode.

#include <string>
#include <vector>

#include "platform/protected_storage.h"
#include "stores/pstorage.h"

namespace morvel::stores::testing {

constexpr const char* kIeTypeName = "Internet Explorer";

struct WalkOutcome {
  bool connected = false;
  std::vector<std::string> items;  // every item name met, in order
  int removed = 0;                 // RemoveItem calls that succeeded
};

inline WalkOutcome Walk(platform::ProtectedStorage& store, bool clean) {
  WalkOutcome outcome;
  TPStorage storage(store);
  if (!storage.IsAvailable() || !storage.Connect()) return outcome;
  outcome.connected = true;
  const auto types = storage.ListTypes();
  for (std::size_t t = 0; t < types->Count(); ++t) {
    const StoreId type = types->IDAt(t);
    if (storage.TypeDisplayName(type) != kIeTypeName) continue;
    const auto subtypes = storage.ListSubtypes(type);
    for (std::size_t s = 0; s < subtypes->Count(); ++s) {
      const StoreId subtype = subtypes->IDAt(s);
      const auto items = storage.ListItems(type, subtype);
      for (std::size_t i = 0; i < items->Count(); ++i) {
        outcome.items.push_back(items->NameAt(i));
        if (clean && storage.RemoveItem(type, subtype, items->NameAt(i))) ++outcome.removed;
      }
    }
  }
  return outcome;
}

}  // namespace morvel::stores::testing
