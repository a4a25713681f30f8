#include "engine/community/detection.h"

#include "common/text.h"
#include "engine/community/wildcards.h"
#include "engine/name_mask.h"

namespace morvel::community {

Detector::Detector(const platform::Registry& registry, const platform::FileSystem& files,
                   const VariableValues& values)
    : registry_(registry), files_(files), values_(values) {}

bool Detector::Detects(const Entry& entry) {
  if (!entry.has_detection) return true;
  for (const KeyName& key : entry.detect_keys)
    if (registry_.KeyExists(key.root, key.path)) return true;
  for (const PathPattern& pattern : entry.detect_paths)
    for (const std::string& path : values_.Expand(pattern))
      if (PathThere(path)) return true;
  return false;
}

bool Detector::PathThere(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return false;
  const std::string_view name = std::string_view(path).substr(cut + 1);
  if (name.empty()) return files_.Exists(path);  // a drive root "C:\"
  // "C:\name": the root's listing holds it.
  const std::string folder = cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
  const Listing* listing = ListingOf(folder);
  if (listing == nullptr) return false;
  if (!listing->listed)  // a folder that is there but cannot be listed
    return !HasWildcard(name) && files_.Exists(path);
  if (!HasWildcard(name)) return listing->upper_names.contains(UpperCase(name));
  for (const std::string& entry : listing->names)
    if (MatchesPattern(entry, name)) return true;
  return false;
}

const Detector::Listing* Detector::ListingOf(const std::string& folder) {
  const std::string key = UpperCase(folder);
  if (const auto found = listings_.find(key); found != listings_.end()) return found->second.get();
  // A folder is there when its parent lists it: a missing folder high up answers for every
  // path below it without a look at the disk.
  const bool there = folder.size() <= 3 ? files_.Exists(folder) : PathThere(folder);
  std::unique_ptr<Listing> listing;
  if (there) {
    listing = std::make_unique<Listing>();
    listing->listed = files_
                          .Enumerate(folder,
                                     [&listing](const platform::FileEntry& entry) {
                                       listing->upper_names.insert(UpperCase(entry.name));
                                       listing->names.push_back(entry.name);
                                       return true;
                                     })
                          .ok();
  }
  return listings_.emplace(key, std::move(listing)).first->second.get();
}

}  // namespace morvel::community
