#pragma once
// Browser databases at machine paths for the cleaner tests: made, read and checked through
// the same door the cleaners use (the database opened inside its held folder), so the
// helpers work on both backends.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

#include "platform/file_system.h"
#include "stores/sqlite_database.h"

namespace morvel::cleaners_test {

// The folder of the machine path `path`, held open as a cleaner holds it.
inline std::unique_ptr<platform::FolderHandle> HoldFolderOf(platform::FileSystem& files,
                                                            const std::string& path) {
  const std::string folder = path.substr(0, path.rfind('\\'));
  const auto real = files.FinalPath(folder);
  auto held = files.OpenFolder(real.ok() ? real.value : folder);
  if (!held.ok()) throw std::runtime_error("cannot hold the folder of " + path);
  return std::move(held.value);
}

// The existing database at the machine path `path`, opened through its held folder.
struct HeldDatabase {
  HeldDatabase(platform::FileSystem& files, const std::string& path)
      : folder(HoldFolderOf(files, path)),
        db(*folder, path.substr(path.rfind('\\') + 1), refusal) {}
  std::unique_ptr<platform::FolderHandle> folder;
  stores::FileRefusal refusal;
  stores::TSQLiteDatabase db;
};

// Runs each statement on the database at `path`, which must exist (an empty file is an
// empty database).
inline void RunSql(platform::FileSystem& files, const std::string& path,
                   std::initializer_list<std::string> statements) {
  HeldDatabase held(files, path);
  for (const std::string& sql : statements) held.db.RunStatement(sql);
}

inline int RowCount(platform::FileSystem& files, const std::string& path,
                    const std::string& table) {
  HeldDatabase held(files, path);
  return held.db.QueryTable("SELECT 1 FROM " + table)->RowCount();
}

// PRAGMA integrity_check's one-line verdict ("ok" for a whole database).
inline std::string Integrity(platform::FileSystem& files, const std::string& path) {
  HeldDatabase held(files, path);
  const auto result = held.db.QueryTable("PRAGMA integrity_check");
  if (result->RowCount() != 1) return "rows: " + std::to_string(result->RowCount());
  const auto* text = std::get_if<std::string>(&result->Cell(0, 0));
  return text ? *text : "not text";
}

}  // namespace morvel::cleaners_test
