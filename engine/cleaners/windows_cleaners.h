#pragma once
// The cleaners of the category "Windows": traces Windows keeps of the user's recent work.
// Each is one item of the run; they choose what to remove and leave removing, counting and
// logging to the removal primitives. The recycle bin has its own file.

#include "engine/run_context.h"

namespace morvel {

// "Windows - Recent Documents": the RecentDocs key, then the files of the Recent folder.
void CleanRecentDocuments(RunContext& run);
// "Windows - Start Run": the Run box history.
void CleanStartRun(RunContext& run);
// "Windows - Search Assistant": the search assistant's history.
void CleanSearchAssistant(RunContext& run);
// "Windows - Temporary Files": everything inside the temporary folder, which stays.
void CleanTemporaryFiles(RunContext& run);
// "Windows - Clipboard": empties the clipboard when removing; counts nothing.
void CleanClipboard(RunContext& run);
// "Windows - Memory Dumps": memory.dmp of the Windows folder and the *.dmp of its MiniDump.
void CleanMemoryDumps(RunContext& run);
// "Windows - Chkdsk File Fragments": the File*.chk of the system folder.
void CleanChkdskFragments(RunContext& run);
// "Windows - Empty Recycle Bin" (recycle_bin_cleaner.cpp).
void CleanRecycleBin(RunContext& run);

}  // namespace morvel
