#include "engine/registry_removal.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

#include "common/text.h"
#include "engine/registry_hives.h"
#include "engine/walk_bounds.h"

namespace morvel {

namespace {

using platform::Registry;
using platform::RootKey;

struct NamedRoot {
  std::string_view name;
  RootKey root;
};

constexpr std::array kRoots = {
    NamedRoot{"HKEY_CURRENT_USER", RootKey::CurrentUser},
    NamedRoot{"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    NamedRoot{"HKEY_USERS", RootKey::Users},
    NamedRoot{"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
    NamedRoot{"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
};

// "\Software\X" names the same key as "Software\X".
std::string_view PortPath(std::string_view key_path) {
  while (!key_path.empty() && key_path.front() == '\\') key_path.remove_prefix(1);
  return key_path;
}

std::string ChildPath(std::string_view parent, std::string_view name) {
  std::string path(parent);
  if (!path.empty()) path += '\\';
  path += name;
  return path;
}

std::int32_t Clamped(std::int64_t count) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
}

void LogEntry(RunContext& run, std::string_view what, std::string_view entry) {
  if (run.FastLog()) return;
  run.AppendLog(run.LogPrefix() + std::string(what) + " " + std::string(entry));
  run.ScrollLog(0);
}

// Whether the key could be changed now, asked without changing it: opened for full access.
bool MayChange(const Registry& registry, RootKey root, std::string_view path) {
  return registry.SubKeyNames(root, path, platform::Access::Full).ok();
}

// One existing value: logged before the attempt, counted when it is gone (or would be, in
// Test).
Tally RemoveOneValue(RunContext& run, RootKey root, std::string_view key_path,
                     std::string_view value_name) {
  const std::string_view path = PortPath(key_path);
  Registry& registry = run.port().registry;
  const std::string name =
      RootKeyName(root) + "\\" + std::string(key_path) + "\\" + std::string(value_name);
  LogEntry(run, "deleting registry value", name);
  Tally tally;
  const bool stays = run.IsTestMode() ? run.ProbesWhatStays() && !MayChange(registry, root, path)
                                      : !registry.DeleteValue(root, path, value_name).ok() &&
                                            registry.ReadValue(root, path, value_name).ok();
  if (run.IsTestMode() || !stays) tally.AddItems(1);
  if (stays) tally.Leave({name, LeftReason::AccessDenied, 1});
  return tally;
}

// Every value and sub-key of the key but what `keep` names (below the key, kept.key relative
// to it), the key itself staying. Never a root's.
Tally EmptyKeyKeeping(RunContext& run, RootKey root, std::string_view key_path,
                      const std::vector<KeptKey>& keep) {
  const std::string_view path = PortPath(key_path);
  // Emptying a root would take every value and key of the hive with it.
  if (NamesHive(root, path)) return {};
  const Registry& registry = run.port().registry;
  // Both lists are taken before anything is deleted, so removing never disturbs the walk.
  const auto values = registry.Values(root, path);
  if (!values) return {};
  const auto sub_keys = registry.SubKeyNames(root, path);

  Tally tally;
  for (const platform::RegistryValue& value : values.value) {
    if (run.Terminated()) return tally;
    const bool kept = std::any_of(keep.begin(), keep.end(), [&value](const KeptKey& k) {
      return k.key.empty() && k.value && SameText(*k.value, value.name);
    });
    if (!kept) tally.Add(RemoveOneValue(run, root, key_path, value.name));
  }
  if (!sub_keys) return tally;
  for (const std::string& name : sub_keys.value) {
    if (run.Terminated()) break;
    // What is kept inside this sub-key, relative to it.
    std::vector<KeptKey> inside;
    for (const KeptKey& kept : keep) {
      const std::string_view key = kept.key;
      const std::size_t cut = key.find('\\');
      if (!key.empty() && SameText(key.substr(0, cut), name))
        inside.push_back(
            {cut == std::string_view::npos ? std::string() : std::string(key.substr(cut + 1)),
             kept.value});
    }
    const std::string child = std::string(key_path) + "\\" + name;
    tally.Add(inside.empty() ? RemoveKey(run, root, child)
                             : RemoveKeyKeeping(run, root, child, inside));
  }
  return tally;
}

}  // namespace

std::optional<RootKey> RootKeyFromName(std::string_view name) {
  const std::string upper = UpperCase(name);
  for (const NamedRoot& root : kRoots)
    if (root.name == upper) return root.root;
  return std::nullopt;
}

std::string RootKeyName(RootKey root) {
  for (const NamedRoot& named : kRoots)
    if (named.root == root) return std::string(named.name);
  return {};
}

std::int32_t CountKeyValues(const Registry& registry, RootKey root, std::string_view key_path) {
  // A worklist rather than recursion: an emulated registry may nest keys deeper than the
  // stack would like.
  // Bounded in depth and in keys, so that a key that comes back among its own sub-keys
  // cannot keep the walk going.
  std::int64_t count = 0;
  std::size_t walked = 0;
  std::vector<std::pair<std::string, std::size_t>> pending{{std::string(PortPath(key_path)), 0}};
  while (!pending.empty() && ++walked <= kMaxKeysWalked) {
    const auto [path, depth] = std::move(pending.back());
    pending.pop_back();
    const auto values = registry.Values(root, path);
    const auto sub_keys = registry.SubKeyNames(root, path);
    if (!values || !sub_keys) continue;
    count += static_cast<std::int64_t>(values.value.size());
    if (depth >= kMaxKeyDepth) continue;
    for (const std::string& name : sub_keys.value)
      pending.emplace_back(ChildPath(path, name), depth + 1);
  }
  return Clamped(count);
}

Tally RemoveKey(RunContext& run, RootKey root, std::string_view key_path) {
  const std::string_view path = PortPath(key_path);
  // An empty path would name the whole root: a hive is never removed.
  if (NamesHive(root, path)) return {};
  Registry& registry = run.port().registry;
  const std::int32_t count = CountKeyValues(registry, root, path);
  if (!registry.KeyExists(root, path)) return {};
  const std::string name = RootKeyName(root) + "\\" + std::string(key_path);
  LogEntry(run, "deleting registry key", name);
  const std::int32_t entries = count == 0 ? 1 : count;
  Tally tally;
  if (run.IsTestMode()) {
    tally.AddItems(entries);
    if (run.ProbesWhatStays() && !MayChange(registry, root, path))
      tally.Leave({name, LeftReason::AccessDenied, entries});
    return tally;
  }
  if (registry.DeleteTree(root, path).ok() || !registry.KeyExists(root, path)) {
    tally.AddItems(entries);
    return tally;
  }
  // Refused (no rights, as for a user under HKEY_LOCAL_MACHINE): the line written before
  // the attempt stays, but only the values that did go are counted as removed.
  const std::int32_t removed = std::max(0, count - CountKeyValues(registry, root, path));
  tally.AddItems(removed);
  tally.Leave({name, LeftReason::AccessDenied, entries - removed});
  return tally;
}

Tally RemoveKeyKeeping(RunContext& run, RootKey root, std::string_view key_path,
                       const std::vector<KeptKey>& keep) {
  if (keep.empty()) return RemoveKey(run, root, key_path);
  for (const KeptKey& kept : keep)
    if (kept.key.empty() && !kept.value) return {};  // the key itself is kept whole
  // Never deeper than Windows nests keys, however the kept names are spelled.
  const std::string_view path = PortPath(key_path);
  if (static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')) >= kMaxKeyDepth)
    return {};
  return EmptyKeyKeeping(run, root, key_path, keep);
}

Tally RemoveValue(RunContext& run, RootKey root, std::string_view key_path,
                  std::string_view value_name) {
  if (value_name.empty()) return RemoveKeyContents(run, root, key_path);
  if (!run.port().registry.ReadValue(root, PortPath(key_path), value_name)) return {};
  return RemoveOneValue(run, root, key_path, value_name);
}

Tally RemoveKeyContents(RunContext& run, RootKey root, std::string_view key_path) {
  return EmptyKeyKeeping(run, root, key_path, {});
}

}  // namespace morvel
