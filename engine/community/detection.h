#pragma once
// Whether an entry's program is on this machine: one of its Detect keys exists, or one of
// its DetectFile paths is there ("*" and "?" in the last name match any file or folder).
// An entry without any detection line always applies; one whose detection lines could all
// not be read never does.
//
// Start-up asks this of every entry, thousands of paths below a few folders, so each folder
// on the way is listed once and the names looked up in memory: a path whose first folder
// below %LocalAppData% is not there costs one look-up in a list already made.

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/community/entry.h"
#include "engine/community/variables.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace morvel::community {

class Detector {
 public:
  Detector(const platform::Registry& registry, const platform::FileSystem& files,
           const VariableValues& values);

  [[nodiscard]] bool Detects(const Entry& entry);

  // Whether the full path is there; its last name may hold "*" and "?".
  [[nodiscard]] bool PathThere(const std::string& path);

 private:
  struct Listing {
    bool listed = false;
    std::unordered_set<std::string> upper_names;
    std::vector<std::string> names;
  };
  // The folder's entries, listed once; nullptr when the folder is not there.
  const Listing* ListingOf(const std::string& folder);

  const platform::Registry& registry_;
  const platform::FileSystem& files_;
  const VariableValues& values_;
  std::unordered_map<std::string, std::unique_ptr<Listing>> listings_;  // by upper-cased folder
};

}  // namespace morvel::community
