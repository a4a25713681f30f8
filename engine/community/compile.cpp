#include "engine/community/compile.h"

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/community/wildcards.h"

namespace morvel::community {

namespace {

std::vector<KeepPath> KeptPaths(const Entry& entry, const VariableValues& values) {
  std::vector<KeepPath> kept;
  for (const Exclusion& exclusion : entry.exclusions) {
    if (exclusion.kind == ExclusionKind::Registry) continue;
    for (std::string& folder : values.Expand(exclusion.folder))
      kept.push_back({std::move(folder), exclusion.masks, exclusion.kind == ExclusionKind::Path});
  }
  return kept;
}

Where WhereOf(const std::string& folder, const std::vector<std::string>& names) {
  Where where;
  where.anchor = Anchor::Folder;
  where.folder = folder.size() == 2 ? folder + "\\" : folder;  // "C:" is the drive's root
  for (const std::string& name : names) {
    Segment segment;
    if (HasWildcard(name)) {
      segment.kind = SegmentKind::Each;
      segment.pattern = name;
    } else {
      segment.names = {name};
    }
    where.segments.push_back(std::move(segment));
  }
  return where;
}

void AddFileKey(const FileKey& key, const std::vector<KeepPath>& kept, const VariableValues& values,
                Actions& actions) {
  const auto names = values.Names(key.folder);
  if (!names) return;
  for (const std::string& folder : values.Folders(key.folder.base)) {
    CleanFolder clean;
    clean.where = WhereOf(folder, *names);
    if (!key.masks.empty()) {
      Mask masks;
      masks.patterns = key.masks;
      clean.masks = {std::move(masks)};
    }
    clean.depth = key.reach == Reach::ThisFolder ? Depth::ThisFolder : Depth::Recursive;
    clean.remove_emptied = key.reach == Reach::RemoveSelf;
    clean.remove_self = key.reach == Reach::RemoveSelf;
    clean.keep.paths = kept;
    clean.log = LogClass::Always;
    clean.origin = FolderOrigin::Program;
    actions.emplace_back(std::move(clean));
  }
}

// `inner` relative to `outer` when it is `outer` or lies below it ("" for the key itself).
std::optional<std::string> KeyBelow(const KeyName& inner, const KeyName& outer) {
  if (inner.root != outer.root || !IsSameOrBelow(inner.path, outer.path)) return std::nullopt;
  if (inner.path.size() == outer.path.size()) return std::string();
  return inner.path.substr(outer.path.size() + 1);
}

void AddRegKey(const RegKey& key, const std::vector<const Exclusion*>& kept, Actions& actions) {
  std::vector<KeptKey> keep;
  for (const Exclusion* exclusion : kept) {
    // A RegKey that an exclusion covers whole does nothing.
    const auto covering = KeyBelow(key.key, exclusion->key);
    if (covering && !exclusion->value) return;
    if (key.value) {
      if (covering && covering->empty() && SameText(*exclusion->value, *key.value)) return;
      continue;
    }
    if (const auto below = KeyBelow(exclusion->key, key.key))
      keep.push_back({*below, exclusion->value});
  }
  if (key.value) {
    actions.emplace_back(DeleteValue{key.key.root, key.key.path, *key.value, false});
    return;
  }
  DeleteKey remove;
  remove.root = key.key.root;
  remove.path = key.key.path;
  remove.origin = FolderOrigin::Program;
  remove.keep = std::move(keep);
  actions.emplace_back(std::move(remove));
}

}  // namespace

Actions CompileEntry(const Entry& entry, const VariableValues& values) {
  Actions actions;
  const std::vector<KeepPath> kept = KeptPaths(entry, values);
  for (const FileKey& key : entry.file_keys) AddFileKey(key, kept, values, actions);
  std::vector<const Exclusion*> kept_keys;
  for (const Exclusion& exclusion : entry.exclusions)
    if (exclusion.kind == ExclusionKind::Registry) kept_keys.push_back(&exclusion);
  for (const RegKey& key : entry.reg_keys) AddRegKey(key, kept_keys, actions);
  return actions;
}

}  // namespace morvel::community
