#pragma once
// The cleaner behind each dispatch target.

#include <functional>
#include <string_view>

#include "engine/dispatch.h"
#include "engine/run_context.h"

namespace morvel {

using Cleaner = std::function<void(RunContext& run, std::string_view key)>;

// The cleaner of `id`; empty while that cleaner is not part of the program, in which
// case the item runs empty (header and a summary of 0 items).
Cleaner CleanerFor(CleanerId id);

}  // namespace morvel
