#pragma once
// Timing for the benchmark programs that the bench-*.sh scripts run beside cat, find or rm.

#include <algorithm>
#include <chrono>

namespace morvel::bench {

// The best of `rounds` runs in milliseconds; what `run` returns is freed after the clock
// stops, so freeing is not timed.
template <class F>
double BestMilliseconds(int rounds, F run) {
  using Clock = std::chrono::steady_clock;
  double best = 1e300;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    [[maybe_unused]] auto result = run();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace morvel::bench
