#pragma once
// A large registry export for the load benchmarks: the shape of a real user's HKCU
// (about ten values a key, mostly strings and dwords, some binary and multi-strings).

#include <string>

namespace morvel::bench {

// The .reg bytes of `keys` keys holding about `values` values in all, exactly as the
// emulated registry writes them: UTF-16LE with byte-order mark, or UTF-8.
std::string MakeSampleRegistry(int keys, int values, bool utf16);

}  // namespace morvel::bench
