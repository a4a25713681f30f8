#pragma once
// The one SQL step of the browser cleaners: emptying a table of a browser's database. The
// database is a file of a folder the cleaner holds (platform::FolderHandle), opened with its
// journals through that folder alone, so that the program and its tests clean the same
// file the same way on both backends, and nothing put in a file's place is written.

#include <string_view>

#include "engine/run_context.h"
#include "platform/file_system.h"

namespace morvel {

// In Clean mode, when the file `file_name` of the held `folder` (shown in the log as
// `shown_folder`) is a plain file holding a table named `table` (letter case ignored), runs
// "DELETE FROM <table>". Whatever goes wrong with the database (missing, a folder, held by
// the browser, damaged, not a database) ends this step quietly and changes nothing; the run
// goes on. The database and its journals are opened only as files of their own: a link or
// a file with a second name among them ends the step with the write door's line
// ("skipping <folder>\<file>: ..."). The file is not trusted: its stored triggers and views
// do not run, and a statement that Stop interrupts or that runs past a minute is rolled
// back, ending the step as a locked database does. Nothing is counted either way. Test mode
// opens nothing. Returns whether the statement ran.
bool EmptyDatabaseTable(RunContext& run, platform::FolderHandle& folder,
                        std::string_view shown_folder, std::string_view file_name,
                        std::string_view table);

}  // namespace morvel
