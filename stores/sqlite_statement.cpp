#include "stores/sqlite_statement.h"

#include "stores/sqlite_errors.h"

namespace morvel::stores::sqlite_detail {

StatementHandle Prepare(sqlite3* db, const std::string& sql) {
  // SQLite reads the text to its first zero byte: whatever follows an embedded zero would
  // silently go unread, and "DELETE FROM t\0 WHERE ..." would empty the whole table.
  if (sql.find('\0') != std::string::npos) {
    throw ESQLiteException("Error executing SQL.\rThe SQL text holds a zero byte.");
  }
  sqlite3_stmt* raw = nullptr;
  const int result = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
  StatementHandle statement(raw);
  if (result != SQLITE_OK) RaiseStatementError(db, "Error executing SQL", sql);
  if (!statement) RaiseStatementError(db, "Could not prepare SQL statement", sql);
  return statement;
}

void RaiseStatementError(sqlite3* db, std::string_view operation, std::string_view sql) {
  const int code = sqlite3_errcode(db);
  // The message belongs to SQLite; it is copied into ours, never freed.
  const char* message = code != SQLITE_OK ? sqlite3_errmsg(db) : nullptr;
  throw ESQLiteException(ComposeStatementError(operation, code, message, sql));
}

}  // namespace morvel::stores::sqlite_detail
