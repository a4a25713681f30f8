#pragma once
// The built-in cleaners of the category "Advanced": registry caches of the Windows shell
// that record what the user opened and ran. Each sets only the item count. The toolbar
// items of the category go through the shipped definition file.

#include "engine/run_context.h"

namespace morvel {

void CleanOpenFileHistory(RunContext& run);         // "Advanced - Open File History"
void CleanMenuOrderCache(RunContext& run);          // "Advanced - Menu Order Cache"
void CleanTrayNotificationsCache(RunContext& run);  // "Advanced - Tray Notifications Cache"
void CleanUserAssistHistory(RunContext& run);       // "Advanced - User Assist History"
void CleanPaintRecentFiles(RunContext& run);        // "Advanced - Paint"

}  // namespace morvel
