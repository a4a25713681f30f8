#pragma once
// The cleaner behind each route of the dispatch.

#include <functional>
#include <string_view>

#include "engine/dispatch.h"
#include "engine/run_context.h"

namespace morvel {

using Cleaner = std::function<void(RunContext& run, std::string_view key)>;

// The cleaner of `route`; empty for an item whose own cleaner is not part of the program,
// which then runs empty (header and a summary of 0 items).
Cleaner CleanerFor(const Route& route);

}  // namespace morvel
