#include "engine/cleaners/database_step.h"

#include <string>

#include "stores/sqlite_database.h"

namespace morvel {

bool EmptyDatabaseTable(RunContext& run, std::string_view database, std::string_view table) {
  if (run.IsTestMode()) return false;
  platform::FileSystem& files = run.port().files;
  const auto entry = files.Stat(database);
  // A link could lead the statement into a database the user did not choose.
  if (!entry.ok() || entry.value.IsFolder() || entry.value.IsReparsePoint()) return false;
  const auto path = files.LibraryPath(database);
  if (!path.ok()) return false;
  try {
    stores::TSQLiteDatabase db(path.value);
    if (!db.HasTable(std::string(table))) return false;
    db.RunStatement("DELETE FROM " + std::string(table));
    return true;
  } catch (const stores::ESQLiteException&) {
    // A browser holding the file, or a damaged one: this database's step ends, no more.
    // A failed statement is rolled back by SQLite, so the file stays as it was.
    return false;
  }
}

}  // namespace morvel
