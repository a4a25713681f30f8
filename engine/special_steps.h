#pragma once
// The special steps of the cleaning language: work bound to a format or to a program's own
// way of keeping things, which rows of folder and registry actions cannot say. Each returns
// its tally like any action; the folders it works in it reaches through the executor, and
// the files and keys it removes go through the executor's leaves. Each counts what it
// counts into the item's progress (Executor::Counted) itself.

#include "engine/action.h"
#include "engine/executor.h"
#include "engine/tally.h"

namespace morvel {

Tally RunSpecial(Executor& executor, const Special& special);

// engine/cleaners/windows_specials.cpp
Tally ClearingNotice(Executor& executor, const Special& special);
Tally EmptyRecycleBin(Executor& executor);
Tally EmptyClipboard(Executor& executor);

// engine/cleaners/ie_history_specials.cpp
Tally ListTypedUrls(Executor& executor);
Tally CleanUrlHistory(Executor& executor);
Tally CleanUrlCache(Executor& executor);
Tally CleanHistoryFolders(Executor& executor);
Tally WipeIndexDatIn(Executor& executor, const Special& special);
Tally CleanIndexDatFiles(Executor& executor);

// engine/cleaners/ie_cookie_specials.cpp
Tally CleanIeCookies(Executor& executor);
Tally CleanIeAutocomplete(Executor& executor);

// engine/cleaners/messenger_specials.cpp
Tally CleanMsnMessenger(Executor& executor);

// engine/cleaners/browser_specials.cpp
Tally EmptyDatabaseTables(Executor& executor, const Special& special);
Tally CleanHistoryIndexes(Executor& executor, const Special& special);

}  // namespace morvel
