#pragma once
// What runs an item: the actions its route names, compiled from the definition files where
// the route says so, on the run's executor. The item's tally is the sum of its actions'.

#include <functional>
#include <string_view>

#include "engine/dispatch.h"
#include "engine/executor.h"

namespace morvel {

using Cleaner = std::function<Tally(Executor& executor)>;

// The cleaner of the item `key` that `route` serves; a row without actions runs empty
// (header and a summary of 0 items).
Cleaner CleanerFor(const Route& route, std::string_view key);

}  // namespace morvel
