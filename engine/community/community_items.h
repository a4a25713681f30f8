#pragma once
// The community's definitions as the catalogue offers them: Winapp2.ini beside the program
// (the image's program folder on the emulated machine) is read at start, every entry is
// detected on this machine, and each detected one becomes a clean item "<category> -
// <name>". Categories the program has already take their items after their own; the others
// follow every built-in category, in alphabetical order, with their items in file order. A
// key the catalogue has already (letter case aside) stays the built-in item's, and an entry
// that would join the custom list's category is not offered.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/catalogue.h"
#include "engine/community/detection.h"
#include "engine/community/entry.h"
#include "platform/port.h"

namespace morvel::community {

class CommunityItems {
 public:
  // Detects each entry of `definitions` and adds the detected ones to `catalogue`.
  CommunityItems(Definitions definitions, Detector& detector, Catalogue& catalogue);

  // The entry that serves the item key; nullptr for a key that is not a community item.
  [[nodiscard]] const Entry* Find(std::string_view key) const;

  [[nodiscard]] const Definitions& definitions() const { return definitions_; }
  [[nodiscard]] std::size_t detected() const { return detected_; }
  [[nodiscard]] std::size_t offered() const { return by_key_.size(); }

 private:
  Definitions definitions_;
  std::unordered_map<std::string, std::size_t> by_key_;  // item key -> entry index
  std::size_t detected_ = 0;
};

// Reads Winapp2.ini beside the program and offers its detected entries in `catalogue`. A
// missing file offers nothing; a file that cannot be read as definitions offers what it can
// and keeps the reasons (definitions().skipped).
std::shared_ptr<const CommunityItems> LoadCommunityItems(platform::Port& port,
                                                         Catalogue& catalogue);

}  // namespace morvel::community
