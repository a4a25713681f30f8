#pragma once
// The built-in cleaners of the category "Instant Messengers": message logs, received
// files and caches. ICQ and AOL Instant Messenger go through the shipped definition file.

#include <string>

#include "engine/run_context.h"

namespace morvel {

void CleanMsnMessenger(RunContext& run);    // "Instant Messengers - MSN Messenger"
void CleanYahooMessenger(RunContext& run);  // "Instant Messengers - Yahoo! Messenger"
void CleanSkype(RunContext& run);           // "Instant Messengers - Skype"

// The message log folder of the first passport under MSN Messenger's PerPassportSettings
// whose MessageLogPath (a string or expandable string, read unexpanded) names an existing
// folder; empty when there is none.
std::string FindMsnMessageLogFolder(RunContext& run);

}  // namespace morvel
