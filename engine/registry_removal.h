#pragma once
// The only code that removes registry keys and values. Each operation counts what it
// removes (in Test mode: what it would remove), writes one log line per entry when Fast
// Mode is off, and returns the count for the caller to add to the item count. Test mode
// changes nothing. Keys are never created. Failures are not reported: a missing key or
// value counts 0. A removal Windows refuses keeps its log line, written before the attempt,
// but is not counted in Clean mode (as a file that cannot be deleted): the summary counts
// what was removed.
//
// Key paths are below their root, components separated by "\"; a path starting with "\"
// means the same key. The "ByRootName" forms take the root as text (definition files),
// the others a root key (built-in cleaners).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/run_context.h"
#include "platform/registry.h"

namespace morvel {

// The root whose name ("HKEY_CURRENT_USER", ...) equals `name` ignoring letter case;
// nullopt for anything else, short forms such as "HKCU" included.
std::optional<platform::RootKey> RootKeyFromName(std::string_view name);
// The upper-case name of a root; empty for a value that names no root.
std::string RootKeyName(platform::RootKey root);

// The number of values of the key and of all its sub-keys at any depth (the default value
// counts when it is set); 0 when the key cannot be opened.
std::int32_t CountKeyValues(const platform::Registry& registry, platform::RootKey root,
                            std::string_view key_path);

// Removes the key with its whole sub-tree. Counts its values at any depth, at least 1 for
// an existing key; 0 when the key is missing, the root name unknown or the path names
// the root itself.
std::int32_t DeleteKey(RunContext& run, platform::RootKey root, std::string_view key_path);
std::int32_t DeleteKeyByRootName(RunContext& run, std::string_view root_name,
                                 std::string_view key_path);

// Removes one value (1 when it exists, else 0). With an empty value name removes every
// value of the key and every sub-key (through DeleteKey), keeps the key itself, and
// counts all of it.
std::int32_t DeleteValue(RunContext& run, platform::RootKey root, std::string_view key_path,
                         std::string_view value_name);
std::int32_t DeleteValueByRootName(RunContext& run, std::string_view root_name,
                                   std::string_view key_path, std::string_view value_name);

}  // namespace morvel
