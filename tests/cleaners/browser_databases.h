#pragma once
// Browser databases at machine paths for the cleaner tests: made, read and checked through
// the same door the cleaners use (the port's LibraryPath), so the helpers work on both
// backends.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <variant>

#include "platform/file_system.h"
#include "stores/sqlite_database.h"

namespace morvel::cleaners_test {

// Where SQLite finds the machine file `path`; a test failure when it cannot.
inline std::string LibraryPathOf(const platform::FileSystem& files, const std::string& path) {
  const auto found = files.LibraryPath(path);
  EXPECT_TRUE(found.ok()) << path;
  return found.value;
}

// Runs each statement on the database at `path`, which must exist (an empty file is an
// empty database).
inline void RunSql(const platform::FileSystem& files, const std::string& path,
                   std::initializer_list<std::string> statements) {
  stores::TSQLiteDatabase db(LibraryPathOf(files, path));
  for (const std::string& sql : statements) db.RunStatement(sql);
}

inline int RowCount(const platform::FileSystem& files, const std::string& path,
                    const std::string& table) {
  stores::TSQLiteDatabase db(LibraryPathOf(files, path));
  return db.QueryTable("SELECT 1 FROM " + table)->RowCount();
}

// PRAGMA integrity_check's one-line verdict ("ok" for a whole database).
inline std::string Integrity(const platform::FileSystem& files, const std::string& path) {
  stores::TSQLiteDatabase db(LibraryPathOf(files, path));
  const auto result = db.QueryTable("PRAGMA integrity_check");
  if (result->RowCount() != 1) return "rows: " + std::to_string(result->RowCount());
  const auto* text = std::get_if<std::string>(&result->Cell(0, 0));
  return text ? *text : "not text";
}

}  // namespace morvel::cleaners_test
