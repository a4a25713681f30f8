#pragma once
// The open files of the held-folder VFS (sqlite_held_vfs.h): SQLite's file methods over the
// port's DatabaseFile, with SQLite's locking protocol on its byte ranges.

#include <sqlite3.h>

#include <memory>

#include "platform/file_system.h"

namespace morvel::stores::sqlite_detail {

// The bytes SQLite must set aside for one open file (sqlite3_vfs::szOsFile, at least).
int HeldFileSize();

// Makes `slot`, SQLite's memory for one file, the open file `file`; SQLite's xClose closes
// it and gives back its locks.
void AttachHeldFile(sqlite3_file* slot, std::unique_ptr<platform::DatabaseFile> file);

}  // namespace morvel::stores::sqlite_detail
