#pragma once
// The complete result of one query, read in full when the table is made. The browser
// cleaners only count its rows; the cells are there for whoever needs them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace morvel::stores {

// SQLite's fundamental type numbers, as each column's code.
enum class SQLiteColumnType : std::int32_t { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

using SQLiteBlob = std::vector<std::uint8_t>;
// A null value, and a zero-length blob, is an empty cell (monostate).
using SQLiteCell = std::variant<std::monostate, std::int64_t, double, std::string, SQLiteBlob>;

class TSQLiteTable {
 public:
  // Runs `sql` on `db` (not owned; it must outlive the constructor only) and reads every
  // row. Raises ESQLiteException: as RunStatement when the statement does not prepare,
  // "Could not prepare SQL statement" when the database is busy, and "Could not retrieve
  // data" composed with SQLite's error on any other failure.
  TSQLiteTable(sqlite3* db, const std::string& sql);

  [[nodiscard]] std::int32_t RowCount() const { return row_count_; }
  [[nodiscard]] std::int32_t ColumnCount() const { return column_count_; }
  // Column names upper-cased, and each column's type code decided on the first row: from
  // the declared type when there is one (exact spelling: INTEGER and BOOLEAN integer;
  // NUMERIC, FLOAT, DOUBLE and REAL float; BLOB blob; anything else text), else from the
  // first row's value. Both are empty when the query gave no rows.
  [[nodiscard]] const std::vector<std::string>& ColumnNames() const { return column_names_; }
  [[nodiscard]] const std::vector<SQLiteColumnType>& ColumnTypes() const { return column_types_; }
  // The cell at `row`, `column` (both from 0, within the counts).
  [[nodiscard]] const SQLiteCell& Cell(std::size_t row, std::size_t column) const;

 private:
  void StartColumns(sqlite3_stmt* statement);
  void ReadRow(sqlite3_stmt* statement);

  std::vector<SQLiteCell> values_;  // row-major
  std::int32_t row_count_ = 0;
  std::int32_t column_count_ = 0;
  std::vector<std::string> column_names_;
  std::vector<SQLiteColumnType> column_types_;
};

}  // namespace morvel::stores
