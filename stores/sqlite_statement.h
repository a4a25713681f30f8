#pragma once
// The prepared statement that RunStatement and query tables share: owned so that it is
// finalized on every path, error paths included. Internal to the SQLite layer.

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

namespace morvel::stores::sqlite_detail {

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Prepares the first statement of `sql`, read to its terminating zero. Raises
// ESQLiteException "Error executing SQL" when SQLite refuses it and "Could not prepare SQL
// statement" when the text holds no statement (empty or only a comment).
StatementHandle Prepare(sqlite3* db, const std::string& sql);

// Raises ESQLiteException with `operation` composed with the connection's last error.
[[noreturn]] void RaiseStatementError(sqlite3* db, std::string_view operation,
                                      std::string_view sql);

}  // namespace morvel::stores::sqlite_detail
