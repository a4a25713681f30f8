#include "engine/community/community_items.h"

#include <map>
#include <vector>

#include "common/text.h"
#include "engine/community/reader.h"
#include "engine/community/variables.h"

namespace morvel::community {

CommunityItems::CommunityItems(Definitions definitions, Detector& detector, Catalogue& catalogue)
    : definitions_(std::move(definitions)) {
  const auto add = [this, &catalogue](std::size_t index) {
    const Entry& entry = definitions_.entries[index];
    if (const auto key = catalogue.AddLeaf(entry.category, entry.name, entry.warning))
      by_key_.emplace(*key, index);
  };
  // New categories by their upper-cased name: alphabetical, each one's entries in file order.
  std::map<std::string, std::vector<std::size_t>> new_categories;
  for (std::size_t i = 0; i < definitions_.entries.size(); ++i) {
    const Entry& entry = definitions_.entries[i];
    if (!detector.Detects(entry)) continue;
    ++detected_;
    bool known = false;
    for (const CatalogueRoot& root : catalogue.roots())
      known = known || SameText(root.text, entry.category);
    if (known)
      add(i);
    else
      new_categories[UpperCase(entry.category)].push_back(i);
  }
  for (const auto& [category, entries] : new_categories)
    for (const std::size_t index : entries) add(index);
}

const Entry* CommunityItems::Find(std::string_view key) const {
  const auto found = by_key_.find(std::string(key));
  return found == by_key_.end() ? nullptr : &definitions_.entries[found->second];
}

std::shared_ptr<const CommunityItems> LoadCommunityItems(platform::Port& port,
                                                         Catalogue& catalogue) {
  const std::string path = port.system.ExecutableFolder() + kCommunityFile;
  Definitions definitions;
  const ReadLimits limits;
  // A file far too large is not even read into memory.
  if (const auto stat = port.files.Stat(path); stat.ok() && stat.value.size > limits.max_bytes) {
    definitions.skipped.push_back({0, "", TooLargeWhy(limits)});
  } else if (const auto bytes = port.files.ReadFile(path); bytes.ok()) {
    definitions = ReadDefinitions(bytes.value, limits);
  } else if (bytes.status.kind != platform::ErrorKind::NotFound) {
    definitions.skipped.push_back({0, "", "the file cannot be read"});
  }
  const VariableValues values(port.system, port.registry);
  Detector detector(port.registry, port.files, values);
  return std::make_shared<const CommunityItems>(std::move(definitions), detector, catalogue);
}

}  // namespace morvel::community
