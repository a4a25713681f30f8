#pragma once
// Where the registry's hives begin. Below HKEY_USERS every key of the first level is a
// whole hive: "HKEY_USERS\S-1-5-21-...\Software" is the current user's
// "HKEY_CURRENT_USER\Software" under another name, and "HKEY_USERS\<SID>" that user's root.
// So an entry is weighed by the hive it names, whatever root it is spelled under.

#include <string_view>

#include "platform/registry.h"

namespace morvel {

// `path` (below `root`, separated by "\", leading and trailing "\" ignored) without its
// hive part: itself under every root but HKEY_USERS, where the first key goes.
// Empty when the path names a hive itself.
std::string_view PathInHive(platform::RootKey root, std::string_view path);

// Whether `path` names a hive itself (a root, or a key right below HKEY_USERS): a hive is
// never removed nor emptied.
bool NamesHive(platform::RootKey root, std::string_view path);

// Whether `path` names a key right below a hive (HKEY_CURRENT_USER\Software,
// HKEY_USERS\<SID>\Software, HKEY_LOCAL_MACHINE\SYSTEM), which holds a whole program world.
bool IsRightBelowHive(platform::RootKey root, std::string_view path);

}  // namespace morvel
