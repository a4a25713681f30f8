#pragma once
// The cleaners of the category "Microsoft Office": shortcuts in Office's own Recent folder
// and the recent-file lists of Office 8.0 to 12.0 in the registry. Each does nothing at
// all when the user's application-data folder does not exist.

#include "engine/run_context.h"

namespace morvel {

void CleanOfficeAccess(RunContext& run);       // "Microsoft Office - Access"
void CleanOfficeExcel(RunContext& run);        // "Microsoft Office - Excel"
void CleanOfficeFrontPage(RunContext& run);    // "Microsoft Office - FrontPage"
void CleanOfficePowerpoint(RunContext& run);   // "Microsoft Office - Powerpoint"
void CleanOfficeWord(RunContext& run);         // "Microsoft Office - Word"
void CleanOfficeRecentFiles(RunContext& run);  // "Microsoft Office - Recent Files"

}  // namespace morvel
