#pragma once
// Bounds on every registry and folder walk of a run, so that no walk can go on without
// end, whatever a backend answers (a key that lists itself among its sub-keys, a folder
// mounted inside itself).

#include <cstddef>

namespace morvel {

// Windows nests registry keys at most 512 levels deep.
inline constexpr std::size_t kMaxKeyDepth = 512;
// More keys than a whole user hive holds: a walk that meets more is going round.
inline constexpr std::size_t kMaxKeysWalked = 4'000'000;
// Deeper than any folder a cleaner empties; each level holds its folder open.
inline constexpr std::size_t kMaxFolderDepth = 512;

}  // namespace morvel
