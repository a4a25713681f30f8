#include "stores/sqlite_table.h"

#include <sqlite3.h>

#include <cstring>
#include <string_view>

#include "common/text.h"
#include "stores/sqlite_errors.h"
#include "stores/sqlite_statement.h"

namespace morvel::stores {

namespace {

// The declared type decides the code by its exact spelling: "integer" or "VARCHAR(10)"
// are text, whatever SQLite's own affinity rules would say.
SQLiteColumnType CodeOfDeclaredType(std::string_view declared) {
  if (declared == "INTEGER" || declared == "BOOLEAN") return SQLiteColumnType::Integer;
  if (declared == "NUMERIC" || declared == "FLOAT" || declared == "DOUBLE" || declared == "REAL") {
    return SQLiteColumnType::Float;
  }
  if (declared == "BLOB") return SQLiteColumnType::Blob;
  return SQLiteColumnType::Text;
}

SQLiteColumnType CodeOfValue(int sqlite_type) {
  switch (sqlite_type) {
    case SQLITE_INTEGER:
      return SQLiteColumnType::Integer;
    case SQLITE_FLOAT:
      return SQLiteColumnType::Float;
    case SQLITE_BLOB:
      return SQLiteColumnType::Blob;
    case SQLITE_NULL:
      return SQLiteColumnType::Null;
    default:
      return SQLiteColumnType::Text;
  }
}

}  // namespace

TSQLiteTable::TSQLiteTable(sqlite3* db, const std::string& sql) {
  const sqlite_detail::StatementHandle statement = sqlite_detail::Prepare(db, sql);
  for (;;) {
    const int result = sqlite3_step(statement.get());
    if (result == SQLITE_DONE) break;
    if (result == SQLITE_BUSY) {
      // Another program (the browser) holds the file; the caller reports and goes on.
      throw ESQLiteException("Could not prepare SQL statement");
    }
    if (result != SQLITE_ROW) {
      sqlite3_reset(statement.get());
      sqlite_detail::RaiseStatementError(db, "Could not retrieve data", sql);
    }
    ++row_count_;
    if (row_count_ == 1) StartColumns(statement.get());
    ReadRow(statement.get());
  }
}

const SQLiteCell& TSQLiteTable::Cell(std::size_t row, std::size_t column) const {
  return values_.at(row * static_cast<std::size_t>(column_count_) + column);
}

void TSQLiteTable::StartColumns(sqlite3_stmt* statement) {
  column_count_ = sqlite3_column_count(statement);
  column_names_.reserve(static_cast<std::size_t>(column_count_));
  column_types_.reserve(static_cast<std::size_t>(column_count_));
  for (int column = 0; column < column_count_; ++column) {
    const char* name = sqlite3_column_name(statement, column);
    column_names_.push_back(UpperCase(name != nullptr ? name : ""));
  }
  for (int column = 0; column < column_count_; ++column) {
    const char* declared = sqlite3_column_decltype(statement, column);
    column_types_.push_back(declared != nullptr
                                ? CodeOfDeclaredType(declared)
                                : CodeOfValue(sqlite3_column_type(statement, column)));
  }
}

void TSQLiteTable::ReadRow(sqlite3_stmt* statement) {
  for (int column = 0; column < column_count_; ++column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
      values_.emplace_back();
      continue;
    }
    switch (column_types_[static_cast<std::size_t>(column)]) {
      case SQLiteColumnType::Integer:
        values_.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
        break;
      case SQLiteColumnType::Float:
        values_.emplace_back(sqlite3_column_double(statement, column));
        break;
      case SQLiteColumnType::Blob: {
        // The pointer first, then the size: asking for the blob may convert the value.
        const auto* bytes =
            static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        if (bytes == nullptr || size <= 0) {
          values_.emplace_back();
        } else {
          values_.emplace_back(SQLiteBlob(bytes, bytes + size));
        }
        break;
      }
      case SQLiteColumnType::Text:
      case SQLiteColumnType::Null: {
        // Text up to its first zero byte.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        values_.emplace_back(std::string(text != nullptr ? text : ""));
        break;
      }
    }
  }
}

}  // namespace morvel::stores
