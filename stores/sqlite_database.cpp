#include "stores/sqlite_database.h"

#include <sqlite3.h>

#include <utility>

#include "stores/sqlite_statement.h"

namespace morvel::stores {

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

void TSQLiteDatabase::CloseConnection::operator()(sqlite3* db) const { sqlite3_close(db); }

TSQLiteDatabase::TSQLiteDatabase(const std::string& path) {
  Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
}

TSQLiteDatabase::TSQLiteDatabase(platform::FolderHandle& folder, const std::string& name,
                                 FileRefusal& refusal) {
  try {
    vfs_ = std::make_unique<HeldFolderVfs>(folder, name, refusal);
  } catch (const std::runtime_error& e) {
    throw ESQLiteException(OpenFailureMessage(name, e.what()));
  }
  // Never made: a database that is not there is no browser's.
  Open(name, SQLITE_OPEN_READWRITE, vfs_->Name());
  // Without an index shared with other programs, SQLite keeps a log's index in memory,
  // which it does only with the database to itself, and refuses it while anyone has it open.
  if (vfs_->UsesWriteAheadLog()) (void)QueryTable("PRAGMA locking_mode = EXCLUSIVE");
}

void TSQLiteDatabase::Open(const std::string& path, int flags, const char* vfs) {
  // SQLite would open the name up to the first zero byte: some other file.
  if (path.find('\0') != std::string::npos) {
    throw ESQLiteException(OpenFailureMessage(path.c_str(), "the path holds a zero byte"));
  }
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(path.c_str(), &raw, flags, vfs);
  // Owned before anything can throw: a failed open still returns a connection to close.
  db_.reset(raw);
  if (result != SQLITE_OK) {
    throw ESQLiteException(OpenFailureMessage(path, db_ ? sqlite3_errmsg(db_.get()) : nullptr));
  }
  if (!db_) throw ESQLiteException(OpenFailureMessage(path, nullptr));
}

TSQLiteDatabase::~TSQLiteDatabase() = default;

void TSQLiteDatabase::Distrust() {
  for (const auto& [option, value] :
       {std::pair{SQLITE_DBCONFIG_ENABLE_TRIGGER, 0}, std::pair{SQLITE_DBCONFIG_ENABLE_VIEW, 0},
        std::pair{SQLITE_DBCONFIG_DEFENSIVE, 1}}) {
    int now = -1;
    if (sqlite3_db_config(db_.get(), option, value, &now) != SQLITE_OK || now != value)
      throw ESQLiteException("Could not configure the database connection");
  }
  RunStatement("PRAGMA trusted_schema = OFF");
}

void TSQLiteDatabase::SetStopCheck(std::function<bool()> should_stop) {
  should_stop_ = std::move(should_stop);
  if (!should_stop_) {
    sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
    return;
  }
  // A non-zero answer interrupts the running statement.
  sqlite3_progress_handler(
      db_.get(), 4096,
      [](void* self) { return static_cast<TSQLiteDatabase*>(self)->should_stop_() ? 1 : 0; }, this);
}

void TSQLiteDatabase::RunStatement(const std::string& sql) {
  const sqlite_detail::StatementHandle statement = sqlite_detail::Prepare(db_.get(), sql);
  if (sqlite3_step(statement.get()) != SQLITE_DONE) {
    sqlite3_reset(statement.get());
    sqlite_detail::RaiseStatementError(db_.get(), "Error executing SQL statement", sql);
  }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::QueryTable(const std::string& sql) {
  return std::make_unique<TSQLiteTable>(db_.get(), sql);
}

bool TSQLiteDatabase::HasTable(const std::string& name) {
  const std::string sql =
      "select [sql] from sqlite_master where [type] = 'table' and lower(name) = '" +
      LowerAscii(name) + "' ";
  return QueryTable(sql)->RowCount() > 0;
}

}  // namespace morvel::stores
