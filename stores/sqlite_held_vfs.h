#pragma once
// SQLite's files opened inside a held folder: a VFS through which a database of another
// program's folder (a browser profile) is opened, read, written and locked without any of
// its files ever being named to the system by path.
//
// Why a VFS of our own rather than a shim over SQLite's: the system VFS opens the main
// file, the journal, the write-ahead log and its "-shm" index by path, some of them (the
// index) without ever asking the VFS, so a link or a second name planted between a check
// and SQLite's own open would be written through. Here every file is opened relative to the
// held folder by the port (FolderHandle::OpenDatabaseFile), which judges the opened handle
// itself: a link or a file with another name is refused, whenever it was put there.
//
// Locking is SQLite's own protocol on the same byte ranges as its Windows VFS (a pending
// byte at 1 GB, a reserved byte after it, a 510-byte shared range after that), taken with
// locks that conflict with those the system's SQLite takes, so a browser holding the
// database is respected: a locked database fails the statement (SQLITE_BUSY), never
// corrupts it. A database in write-ahead-log mode is opened in exclusive locking mode,
// with its index in memory: it is used only while no other program has the database open.
// Crash safety is SQLite's: a rollback journal (or the log) beside the database, synced as
// SQLite asks.

#include <memory>
#include <string>

#include "platform/file_system.h"

struct sqlite3_vfs;

namespace morvel::stores {

// A file of the database that the VFS refused to open.
struct FileRefusal {
  std::string name;                                      // its name in the held folder
  platform::ErrorKind kind = platform::ErrorKind::None;  // Link or HardLinked
};

// The VFS of one connection to the database file `database_name` of a held folder. SQLite
// hands a VFS's methods only the VFS itself, so each connection registers one of its own
// that carries its folder; it is registered while the object lives, and the connection
// must be closed before it goes. Only the database and its "-journal", "-wal" and "-shm"
// files are opened, deleted or looked for, all in the held folder; any other name (a
// super-journal named inside a journal) is refused.
class HeldFolderVfs {
 public:
  // `refusal` (which must outlive the object) gets the first file refused for being a link
  // or having another name.
  HeldFolderVfs(platform::FolderHandle& folder, std::string database_name, FileRefusal& refusal);
  HeldFolderVfs(const HeldFolderVfs&) = delete;
  HeldFolderVfs& operator=(const HeldFolderVfs&) = delete;
  ~HeldFolderVfs();

  // The name to open the database with (sqlite3_open_v2's zVfs).
  [[nodiscard]] const char* Name() const;
  // Whether the database, as its main file was opened, uses a write-ahead log (its header
  // says so, or a log lies beside it): it must then be used in exclusive locking mode.
  [[nodiscard]] bool UsesWriteAheadLog() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace morvel::stores
