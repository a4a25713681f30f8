#pragma once
// Folders that many cleaners start from.

#include <string>

#include "engine/run_context.h"

namespace morvel {

// `folder` with a trailing "\\"; empty text stays empty, so that a failed lookup never
// turns into the root of the current drive.
std::string WithBackslash(std::string folder);

// The user's documents folder with a trailing "\"; empty when the lookup fails.
std::string GetMyDocumentsFolder(RunContext& run);

// The user's application-data folder with a trailing "\", after ending the browser
// session; empty when the lookup fails.
std::string GetAppDataFolder(RunContext& run);

}  // namespace morvel
