#pragma once
// The registry leaves of the executor: the only code that removes registry keys and values.
// Each counts what it removes (in Test mode: what it would remove) and returns it as a
// tally; it writes one log line per entry when Fast Mode is off. Test mode changes nothing.
// Keys are never created. A missing key or value counts 0. A removal Windows refuses keeps
// its log line, written before the attempt, but is not counted in Clean mode (as a file
// that cannot be deleted): what stayed is left AccessDenied, and a probing Test leaves so
// what it could not change either.
//
// Key paths are below their root, components separated by "\"; a path starting with "\"
// means the same key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/action.h"
#include "engine/run_context.h"
#include "engine/tally.h"
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
// an existing key; 0 when the key is missing or the path names the root itself.
Tally RemoveKey(RunContext& run, platform::RootKey root, std::string_view key_path);

// RemoveKey, but what `keep` names stays: the kept keys with everything under them, the
// kept values, and the keys on the way to them; every other value and sub-key goes and is
// counted as RemoveKey and RemoveValue count.
Tally RemoveKeyKeeping(RunContext& run, platform::RootKey root, std::string_view key_path,
                       const std::vector<KeptKey>& keep);

// Removes one value (1 when it exists, else 0); an empty name is RemoveKeyContents.
Tally RemoveValue(RunContext& run, platform::RootKey root, std::string_view key_path,
                  std::string_view value_name);

// Removes every value of the key, then every sub-key (RemoveKey), keeps the key itself,
// and counts all of it. Never a root's.
Tally RemoveKeyContents(RunContext& run, platform::RootKey root, std::string_view key_path);

}  // namespace morvel
