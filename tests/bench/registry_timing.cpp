// registry_timing generate FILE [utf8]  -- writes the sample registry.reg
// registry_timing load FILE [ROUNDS]    -- loading alone, for a profiler
// registry_timing time FILE [ROUNDS]    -- best-of-ROUNDS milliseconds of loading FILE
//                                          and of writing it back, as "name=ms" lines
// The companion of scripts/bench-registry.sh, which times `cat` on the same file.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/emulated/emulated_registry.h"
#include "tests/bench/best_time.h"
#include "tests/bench/registry_sample.h"

namespace {

using morvel::platform::emulated::EmulatedRegistry;

using morvel::bench::BestMilliseconds;

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && argc >= 3) {
    const bool utf8 = argc > 3 && std::string(argv[3]) == "utf8";
    std::ofstream(argv[2], std::ios::binary)
        << morvel::bench::MakeSampleRegistry(50000, 500000, !utf8);
    return 0;
  }
  if (mode == "load" && argc >= 3) {  // loads only, for profiling
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::cout << "load_ms="
              << BestMilliseconds(rounds, [&] { return EmulatedRegistry::Load(argv[2]); }) << "\n";
    return 0;
  }
  if (mode == "time" && argc >= 3) {
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::size_t keys = 0;
    const double load = BestMilliseconds(rounds, [&] { return EmulatedRegistry::Load(argv[2]); });
    keys = EmulatedRegistry::Load(argv[2])
               ->SubKeyNames(morvel::platform::RootKey::CurrentUser, "Software")
               .value.size();
    auto registry = EmulatedRegistry::Load(argv[2]);
    const double unchanged = BestMilliseconds(rounds, [&] { return registry->Serialize(); });
    (void)registry->WriteValue(morvel::platform::RootKey::CurrentUser, "Software\\Morvel",
                               morvel::platform::RegistryValue::MakeDword("Changed", 1));
    const double changed = BestMilliseconds(rounds, [&] {
      std::ofstream(std::string(argv[2]) + ".out", std::ios::binary) << registry->Serialize();
      return 0;
    });
    std::cout << "load_ms=" << load << "\nwrite_unchanged_ms=" << unchanged
              << "\nwrite_changed_ms=" << changed << "\nsoftware_subkeys=" << keys << "\n";
    return 0;
  }
  std::cerr << "usage: registry_timing generate FILE [utf8] | time FILE [ROUNDS]\n";
  return 2;
}
