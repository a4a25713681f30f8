#pragma once
// The real machine's traces that the cleaner suites arrange and check (Windows only).

namespace morvel::testing {

// Throws unless this machine is there to be cleaned: a prefix started by
// scripts/wine-run, or MORVEL_CLEANERS_MAY_CLEAN_THIS_MACHINE=1.
void RefuseUnlessThrowaway();

// Deletes every registry key and value and empties every folder the cleaners look at.
void RemoveCleanerTraces();

}  // namespace morvel::testing
