#pragma once
// The one SQL step of the browser cleaners: emptying a table of a browser's database. The
// database is a file of the machine, reached through the port, so that the program and
// its tests clean the same file the same way on both backends.

#include <string_view>

#include "engine/run_context.h"

namespace morvel {

// In Clean mode, when `database` (a machine path) is a plain file holding a table named
// `table` (letter case ignored), runs "DELETE FROM <table>". Whatever goes wrong with the
// database (missing, a folder, held by the browser, damaged, not a database) ends this step
// quietly and changes nothing; the run goes on. The database and its journals pass the
// write door: a link or a file with a second name ends the step with the door's line.
// The file is not trusted: its stored triggers and views do not run, and a statement that
// Stop interrupts or that runs past a minute is rolled back, ending the step as a locked
// database does. Nothing is counted either way. Test mode opens nothing. Returns whether
// the statement ran.
bool EmptyDatabaseTable(RunContext& run, std::string_view database, std::string_view table);

}  // namespace morvel
