// Query results: rows read in full, column names and type codes, and the cells.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>

#include "sqlite_test_support.h"
#include "stores/sqlite_database.h"

namespace morvel::stores {
namespace {

using testing::MakeDatabase;
using testing::SQLiteTempFolder;
using Type = SQLiteColumnType;

bool IsEmpty(const SQLiteCell& cell) { return std::holds_alternative<std::monostate>(cell); }

TEST(SQLiteTable, NoRowsMakesNoColumns) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(MakeDatabase(folder, "a.sqlite", {"CREATE TABLE a (x INTEGER, y TEXT)"}));
  const auto table = db.QueryTable("SELECT x, y FROM a");
  EXPECT_EQ(table->RowCount(), 0);
  EXPECT_EQ(table->ColumnCount(), 0);
  EXPECT_TRUE(table->ColumnNames().empty());
  EXPECT_TRUE(table->ColumnTypes().empty());
}

TEST(SQLiteTable, DeclaredTypesMapBySpellingAlone) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(MakeDatabase(
      folder, "a.sqlite",
      {"CREATE TABLE t (i INTEGER, b BOOLEAN, lb boolean, li integer, n NUMERIC, f FLOAT, "
       "d DOUBLE, r REAL, bl BLOB, v VARCHAR(10), tx TEXT, dt DATETIME, bi BIGINT, lf float)",
       "INSERT INTO t VALUES (42, 1, 1, 7, 2.5, 0.25, -1.5, 3, X'00FF', 'abc', 'x', 5, 9, 1.5)"}));
  const auto table = db.QueryTable("SELECT * FROM t");
  ASSERT_EQ(table->RowCount(), 1);
  ASSERT_EQ(table->ColumnCount(), 14);
  // SQLite itself reports "integer" as INTEGER (one of its standard type names), but
  // "boolean" as written.
  EXPECT_EQ(table->ColumnTypes(),
            (std::vector<Type>{Type::Integer, Type::Integer, Type::Text, Type::Integer, Type::Float,
                               Type::Float, Type::Float, Type::Float, Type::Blob, Type::Text,
                               Type::Text, Type::Text, Type::Text, Type::Text}));
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(0, 0)), 42);
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(0, 1)), 1);
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 2)), "1");
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(0, 3)), 7);
  EXPECT_EQ(std::get<double>(table->Cell(0, 4)), 2.5);
  EXPECT_EQ(std::get<double>(table->Cell(0, 5)), 0.25);
  EXPECT_EQ(std::get<double>(table->Cell(0, 6)), -1.5);
  EXPECT_EQ(std::get<double>(table->Cell(0, 7)), 3.0);
  EXPECT_EQ(std::get<SQLiteBlob>(table->Cell(0, 8)), (SQLiteBlob{0x00, 0xFF}));
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 9)), "abc");
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 11)), "5");
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 12)), "9");
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 13)), "1.5");
}

TEST(SQLiteTable, LargeIntegersKeepAll64Bits) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(
      MakeDatabase(folder, "a.sqlite",
                   {"CREATE TABLE t (v INTEGER)", "INSERT INTO t VALUES (9223372036854775807)",
                    "INSERT INTO t VALUES (-9223372036854775808)"}));
  const auto table = db.QueryTable("SELECT v FROM t ORDER BY v");
  ASSERT_EQ(table->RowCount(), 2);
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(0, 0)), INT64_MIN);
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(1, 0)), INT64_MAX);
}

TEST(SQLiteTable, UndeclaredColumnsTakeTheirFirstRowsType) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  const auto table = db.QueryTable(
      "SELECT NULL AS a, 1 AS b, 'x' AS c, 1.5 AS d, X'01' AS e "
      "UNION ALL SELECT 7, 'text', 2, 3, 'y'");
  ASSERT_EQ(table->RowCount(), 2);
  EXPECT_EQ(table->ColumnTypes(),
            (std::vector<Type>{Type::Null, Type::Integer, Type::Text, Type::Float, Type::Blob}));
  EXPECT_TRUE(IsEmpty(table->Cell(0, 0)));
  // Later rows are read by the first row's code, whatever their own values are.
  EXPECT_EQ(std::get<std::string>(table->Cell(1, 0)), "7");
  EXPECT_EQ(std::get<std::int64_t>(table->Cell(1, 1)), 0);  // 'text' as an integer
  EXPECT_EQ(std::get<std::string>(table->Cell(1, 2)), "2");
  EXPECT_EQ(std::get<double>(table->Cell(1, 3)), 3.0);
  EXPECT_EQ(std::get<SQLiteBlob>(table->Cell(1, 4)), (SQLiteBlob{'y'}));
}

TEST(SQLiteTable, NullsAndZeroLengthBlobsAreEmptyCells) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(MakeDatabase(
      folder, "a.sqlite",
      {"CREATE TABLE t (i INTEGER, f REAL, b BLOB, s TEXT)",
       "INSERT INTO t VALUES (NULL, NULL, NULL, NULL)", "INSERT INTO t VALUES (1, 1, X'', '')"}));
  const auto table = db.QueryTable("SELECT * FROM t ORDER BY rowid");
  ASSERT_EQ(table->RowCount(), 2);
  for (std::size_t column = 0; column < 4; ++column) EXPECT_TRUE(IsEmpty(table->Cell(0, column)));
  EXPECT_TRUE(IsEmpty(table->Cell(1, 2)));
  // An empty string is still text, unlike the empty blob.
  EXPECT_EQ(std::get<std::string>(table->Cell(1, 3)), "");
}

TEST(SQLiteTable, TextEndsAtItsFirstZeroByte) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  const auto table = db.QueryTable("SELECT CAST(X'610062' AS TEXT), 'caf\xC3\xA9'");
  ASSERT_EQ(table->RowCount(), 1);
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 0)), "a");
  EXPECT_EQ(std::get<std::string>(table->Cell(0, 1)), "caf\xC3\xA9");
}

TEST(SQLiteTable, RowsAreReadInOrderRowMajor) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(MakeDatabase(folder, "a.sqlite", {"CREATE TABLE t (k INTEGER, v TEXT)"}));
  db.RunStatement(
      "INSERT INTO t WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n "
      "WHERE k < 500) SELECT k, 'row ' || k FROM n");
  const auto table = db.QueryTable("SELECT k, v FROM t ORDER BY k DESC");
  ASSERT_EQ(table->RowCount(), 500);
  for (std::size_t row = 0; row < 500; ++row) {
    const auto k = static_cast<std::int64_t>(500 - row);
    ASSERT_EQ(std::get<std::int64_t>(table->Cell(row, 0)), k);
    ASSERT_EQ(std::get<std::string>(table->Cell(row, 1)), "row " + std::to_string(k));
  }
  EXPECT_THROW((void)table->Cell(500, 0), std::out_of_range);
}

TEST(SQLiteTable, ColumnNamesAreUpperCased) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(MakeDatabase(
      folder, "a.sqlite", {"CREATE TABLE t (origin_Url, \"x y\")", "INSERT INTO t VALUES (1, 2)"}));
  const auto table = db.QueryTable("SELECT origin_Url, \"x y\", 3 AS MixedCase FROM t");
  EXPECT_EQ(table->ColumnNames(), (std::vector<std::string>{"ORIGIN_URL", "X Y", "MIXEDCASE"}));
}

TEST(SQLiteTable, FailureWhileReadingIsComposed) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  // The error arises on the third row, after two rows were read.
  const std::string sql =
      "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 5) "
      "SELECT CASE WHEN k < 3 THEN k ELSE json('not json') END FROM n";
  EXPECT_EQ(testing::RaisedMessage([&] { db.QueryTable(sql); }),
            "Could not retrieve data.\rError [1]: SQL error or missing database.\r\"" + sql +
                "\": malformed JSON");
}

}  // namespace
}  // namespace morvel::stores
