#include "engine/cleaners/database_step.h"

#include <chrono>
#include <string>

#include "engine/write_door.h"
#include "stores/sqlite_database.h"

namespace morvel {

namespace {

// Long past what emptying any real browser's table takes; a statement still running then
// is caught in something the file was made to do, and is ended.
constexpr std::chrono::seconds kStatementLimit{60};

}  // namespace

bool EmptyDatabaseTable(RunContext& run, std::string_view database, std::string_view table) {
  if (run.IsTestMode()) return false;
  platform::FileSystem& files = run.port().files;
  const auto entry = files.Stat(database);
  if (!entry.ok() || (entry.value.IsFolder() && !entry.value.IsReparsePoint())) return false;
  // SQLite writes the database and, beside it, its journals: none may be a link or another
  // name of some file, or the statement would write into a database the user did not
  // choose, or into any file at all.
  const std::string path_text(database);
  for (const char* suffix : {"", "-journal", "-wal", "-shm"})
    if (!MayWrite(run, path_text + suffix)) return false;
  const auto path = files.LibraryPath(database);
  if (!path.ok()) return false;
  try {
    stores::TSQLiteDatabase db(path.value);
    db.Distrust();
    const auto deadline = std::chrono::steady_clock::now() + kStatementLimit;
    db.SetStopCheck([&run, deadline] {
      return run.Terminated() || std::chrono::steady_clock::now() > deadline;
    });
    if (!db.HasTable(std::string(table))) return false;
    db.RunStatement("DELETE FROM " + std::string(table));
    return true;
  } catch (const stores::ESQLiteException&) {
    // A browser holding the file, a damaged one, or a statement stopped: this database's
    // step ends, no more. A failed statement is rolled back by SQLite, so the file stays
    // as it was.
    return false;
  }
}

}  // namespace morvel
