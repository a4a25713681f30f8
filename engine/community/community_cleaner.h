#pragma once
// Running a community item: its entry compiled into the cleaning language on the run's own
// machine (the variables looked up there) and run on the run's executor, so that the guard,
// the held folders and the registry leaves decide on it exactly as on a built-in item. A
// Test first writes the entry's warning and every line of it that was left out, with why.

#include <memory>
#include <string_view>

#include "engine/cleaner_table.h"
#include "engine/clear_task_thread.h"
#include "engine/community/community_items.h"

namespace morvel::community {

// The cleaner of `entry`.
Cleaner CleanerOf(std::shared_ptr<const Entry> entry);

// Routes an item key as the program does (dispatch.h), the community items of `items`
// first; with no items, the program's routes alone.
CleanerResolver ResolverWith(std::shared_ptr<const CommunityItems> items);

}  // namespace morvel::community
