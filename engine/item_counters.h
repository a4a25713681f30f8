#pragma once
// The two ways a cleaner reports to the item's counters.

#include <cstdint>

#include "engine/run_context.h"

namespace morvel {

// Adds to the item count; the count wraps as a 32-bit counter rather than overflowing.
void AddToItemCount(RunContext& run, std::int32_t count);

// Sets the item byte total and its FormatKB text.
void SetItemBytes(RunContext& run, std::uint64_t bytes);

}  // namespace morvel
