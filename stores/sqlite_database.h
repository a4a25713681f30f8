#pragma once
// A thin object layer over one SQLite connection: what the browser cleaners need to empty
// a table of a browser's database. Open the file, ask whether the table exists, run the
// statement, and let the destructor close the file whatever happened. Every failure
// raises ESQLiteException with a composed English message.

#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "stores/sqlite_errors.h"
#include "stores/sqlite_held_vfs.h"
#include "stores/sqlite_table.h"

struct sqlite3;

namespace morvel::stores {

class TSQLiteDatabase {
 public:
  // Opens (or creates) the database at `path`, UTF-8 text passed to SQLite unchanged.
  // Raises "Failed to open database "path" : reason" when SQLite cannot open it.
  explicit TSQLiteDatabase(const std::string& path);
  // Opens the existing database file `name` of a held folder through that folder alone
  // (HeldFolderVfs): neither it nor its journals are ever named to the system by path, and
  // none of them may be a link or a file with another name. `folder` must outlive the
  // object. Raises as above when the file is missing, refused or no database can be opened.
  // `refusal` (which must outlive the object) gets the first of the database's files
  // refused for being a link or having another name, whenever that happens.
  TSQLiteDatabase(platform::FolderHandle& folder, const std::string& name, FileRefusal& refusal);
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;
  ~TSQLiteDatabase();

  // Runs the first statement of `sql`, one that returns no rows. Raises "Error executing
  // SQL" when it does not prepare, "Could not prepare SQL statement" when the text holds no
  // statement, and "Error executing SQL statement" when it does not run to its end (a
  // locked file, a row it returned).
  void RunStatement(const std::string& sql);

  // Runs the query `sql` and returns all its rows.
  std::unique_ptr<TSQLiteTable> QueryTable(const std::string& sql);

  // Makes the connection distrust the file it opened, as a cleaner must with another
  // program's database: stored triggers and views do not run, the schema cannot reach
  // functions with side effects, and the file cannot be corrupted through SQL (defensive
  // mode). Raises when SQLite refuses any of it.
  void Distrust();

  // While a statement runs, asks `should_stop` every few thousand steps of SQLite's
  // machine; when it says yes the statement is interrupted, its changes rolled back, and it
  // raises as a failed statement does. An empty function asks nothing.
  void SetStopCheck(std::function<bool()> should_stop);

  // Whether the database has a table of this name, compared without regard to the case
  // of ASCII letters. The name goes into the query as it is: callers pass fixed names.
  bool HasTable(const std::string& name);

 private:
  struct CloseConnection {
    void operator()(sqlite3* db) const;
  };
  void Open(const std::string& path, int flags, const char* vfs);

  // Declared before the connection, which must close before its VFS goes.
  std::unique_ptr<HeldFolderVfs> vfs_;
  std::unique_ptr<sqlite3, CloseConnection> db_;
  std::function<bool()> should_stop_;
};

}  // namespace morvel::stores
