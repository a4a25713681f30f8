// The SQLite connection on real database files: opening, finding tables, running
// statements and the messages of each failure.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "sqlite_test_support.h"
#include "stores/sqlite_database.h"

namespace morvel::stores {
namespace {

using testing::FromUtf8;
using testing::MakeDatabase;
using testing::RaisedMessage;
using testing::SQLiteTempFolder;

std::int32_t CountRows(TSQLiteDatabase& db, const std::string& table) {
  return db.QueryTable("SELECT * FROM " + table)->RowCount();
}

TEST(SQLiteDatabase, HasTableIgnoresLetterCaseOnly) {
  SQLiteTempFolder folder;
  const std::string path = MakeDatabase(
      folder, "places.sqlite",
      {"CREATE TABLE moz_HistoryVisits (id INTEGER)", "CREATE TABLE logins (x)",
       "CREATE VIEW history_view AS SELECT * FROM logins", "CREATE INDEX logins_x ON logins (x)"});
  TSQLiteDatabase db(path);
  EXPECT_TRUE(db.HasTable("moz_historyvisits"));
  EXPECT_TRUE(db.HasTable("MOZ_HISTORYVISITS"));
  EXPECT_TRUE(db.HasTable("Logins"));
  EXPECT_FALSE(db.HasTable("moz_places"));
  EXPECT_FALSE(db.HasTable("login"));
  EXPECT_FALSE(db.HasTable(""));
  // Only tables count: views and indexes of that name do not.
  EXPECT_FALSE(db.HasTable("history_view"));
  EXPECT_FALSE(db.HasTable("logins_x"));
}

TEST(SQLiteDatabase, HasTableOnAnEmptyOrNewFile) {
  SQLiteTempFolder folder;
  // SQLite creates a missing file; it holds no tables.
  TSQLiteDatabase fresh(folder.Path("new.sqlite"));
  EXPECT_FALSE(fresh.HasTable("logins"));
  std::ofstream(folder.root() / "empty.sqlite").close();
  TSQLiteDatabase empty(folder.Path("empty.sqlite"));
  EXPECT_FALSE(empty.HasTable("logins"));
}

TEST(SQLiteDatabase, RunStatementDeletesEveryRowAndKeepsTheTable) {
  SQLiteTempFolder folder;
  const std::string path =
      MakeDatabase(folder, "Web Data",
                   {"CREATE TABLE logins (origin_url VARCHAR NOT NULL, password_value BLOB)",
                    "INSERT INTO logins VALUES ('https://a.example/', X'0102')",
                    "INSERT INTO logins VALUES ('https://b.example/', X'03')",
                    "CREATE TABLE meta (key LONGVARCHAR, value LONGVARCHAR)",
                    "INSERT INTO meta VALUES ('version', '1')"});
  {
    TSQLiteDatabase db(path);
    ASSERT_TRUE(db.HasTable("logins"));
    db.RunStatement("DELETE FROM logins");
  }
  // A new connection sees the change: it was committed and the file closed.
  TSQLiteDatabase db(path);
  EXPECT_TRUE(db.HasTable("logins"));
  EXPECT_EQ(CountRows(db, "logins"), 0);
  EXPECT_EQ(CountRows(db, "meta"), 1);
}

TEST(SQLiteDatabase, DeleteInAWriteAheadLogDatabase) {
  // Browsers keep their history in WAL mode: the -wal and -shm files beside the database.
  SQLiteTempFolder folder;
  const std::string path = folder.Path("places.sqlite");
  {
    TSQLiteDatabase db(path);
    EXPECT_EQ(std::get<std::string>(db.QueryTable("PRAGMA journal_mode=WAL")->Cell(0, 0)), "wal");
    db.RunStatement("CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)");
    db.RunStatement("INSERT INTO moz_historyvisits (place_id) VALUES (1), (2), (3)");
  }
  {
    TSQLiteDatabase db(path);
    ASSERT_TRUE(db.HasTable("moz_historyvisits"));
    db.RunStatement("DELETE FROM moz_historyvisits");
  }
  TSQLiteDatabase db(path);
  EXPECT_EQ(CountRows(db, "moz_historyvisits"), 0);
}

TEST(SQLiteDatabase, RunStatementRunsOnlyTheFirstStatement) {
  SQLiteTempFolder folder;
  const std::string path =
      MakeDatabase(folder, "a.sqlite", {"CREATE TABLE a (x)", "INSERT INTO a VALUES (1)"});
  TSQLiteDatabase db(path);
  db.RunStatement("INSERT INTO a VALUES (2); DELETE FROM a");
  EXPECT_EQ(CountRows(db, "a"), 2);
}

TEST(SQLiteDatabase, TextWithoutAStatementCannotBePrepared) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  for (const char* sql : {"", "   \n\t", "-- only a comment", "/* a comment */", ";"}) {
    EXPECT_EQ(RaisedMessage([&] { db.RunStatement(sql); }), "Could not prepare SQL statement")
        << '"' << sql << '"';
    EXPECT_EQ(RaisedMessage([&] { db.QueryTable(sql); }), "Could not prepare SQL statement")
        << '"' << sql << '"';
  }
}

TEST(SQLiteDatabase, SyntaxErrorsAndMissingTablesAreComposed) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  EXPECT_EQ(RaisedMessage([&] { db.RunStatement("DELETE FORM logins"); }),
            "Error executing SQL.\rError [1]: SQL error or missing database.\r"
            "\"DELETE FORM logins\": near \"FORM\": syntax error");
  EXPECT_EQ(RaisedMessage([&] { db.RunStatement("DELETE FROM logins"); }),
            "Error executing SQL.\rError [1]: SQL error or missing database.\r"
            "\"DELETE FROM logins\": no such table: logins");
  EXPECT_EQ(RaisedMessage([&] { db.QueryTable("SELECT * FROM nowhere"); }),
            "Error executing SQL.\rError [1]: SQL error or missing database.\r"
            "\"SELECT * FROM nowhere\": no such table: nowhere");
}

TEST(SQLiteDatabase, StatementFailingWhileRunningIsComposedAndRolledBack) {
  SQLiteTempFolder folder;
  const std::string path = MakeDatabase(folder, "a.sqlite",
                                        {"CREATE TABLE a (x INTEGER UNIQUE)",
                                         "INSERT INTO a VALUES (1)", "INSERT INTO a VALUES (2)"});
  TSQLiteDatabase db(path);
  EXPECT_EQ(RaisedMessage([&] { db.RunStatement("UPDATE a SET x = 5"); }),
            "Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
            "\"UPDATE a SET x = 5\": UNIQUE constraint failed: a.x");
  // The connection stays usable, and the failed statement changed nothing.
  EXPECT_EQ(CountRows(db, "a"), 2);
  EXPECT_EQ(db.QueryTable("SELECT x FROM a WHERE x = 5")->RowCount(), 0);
}

TEST(SQLiteDatabase, StatementReturningRowsIsNotRunToItsEnd) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  db.RunStatement("CREATE TABLE a (x)");
  db.RunStatement("INSERT INTO a VALUES (1)");
  EXPECT_EQ(RaisedMessage([&] { db.RunStatement("SELECT x FROM a"); }),
            "Error executing SQL statement");
  // The statement was finalized: the table can still be dropped.
  db.RunStatement("DROP TABLE a");
  EXPECT_FALSE(db.HasTable("a"));
}

TEST(SQLiteDatabase, TextPastAZeroByteIsRefusedNotIgnored) {
  SQLiteTempFolder folder;
  const std::string path =
      MakeDatabase(folder, "a.sqlite",
                   {"CREATE TABLE a (x)", "INSERT INTO a VALUES (1)", "INSERT INTO a VALUES (2)"});
  TSQLiteDatabase db(path);
  const std::string sql("DELETE FROM a\0 WHERE x = 2", 26);
  EXPECT_NE(RaisedMessage([&] { db.RunStatement(sql); }), "(nothing raised)");
  EXPECT_NE(RaisedMessage([&] { db.QueryTable(sql); }), "(nothing raised)");
  EXPECT_EQ(CountRows(db, "a"), 2);
}

TEST(SQLiteDatabase, HasTableTakesTheNameAsItIs) {
  SQLiteTempFolder folder;
  TSQLiteDatabase db(folder.Path("a.sqlite"));
  db.RunStatement("CREATE TABLE a (x)");
  // Callers pass fixed names; a quote breaks the query instead of being escaped.
  const std::string message = RaisedMessage([&] { db.HasTable("it's"); });
  EXPECT_EQ(message.rfind("Error executing SQL.\rError [1]: ", 0), 0u) << message;
  EXPECT_NE(message.find("lower(name) = 'it's' \": "), std::string::npos) << message;
}

TEST(SQLiteDatabase, NotADatabaseFileOpensButFailsOnFirstUse) {
  SQLiteTempFolder folder;
  std::ofstream(folder.root() / "text.sqlite", std::ios::binary)
      << std::string(4096, 'x') << "this is not a database";
  TSQLiteDatabase db(folder.Path("text.sqlite"));
  EXPECT_EQ(RaisedMessage([&] { db.HasTable("logins"); }),
            "Error executing SQL.\rError [26]: File opened that is not a database file.\r"
            "\"select [sql] from sqlite_master where [type] = 'table' and lower(name) = "
            "'logins' \": file is not a database");
}

TEST(SQLiteDatabase, OpenFailuresNameThePathAndSQLitesReason) {
  SQLiteTempFolder folder;
  std::filesystem::create_directory(folder.root() / "profile");
  // A file in a missing folder cannot be created; a folder is no file.
  for (const std::string& path :
       {folder.Path("no such folder/places.sqlite"), folder.Path("profile")}) {
    EXPECT_EQ(RaisedMessage([&] { TSQLiteDatabase db(path); }),
              "Failed to open database \"" + path + "\" : unable to open database file");
  }
}

TEST(SQLiteDatabase, PathWithAZeroByteIsRefused) {
  SQLiteTempFolder folder;
  const std::string path = folder.Path("a.sqlite") + std::string("\0.txt", 5);
  EXPECT_EQ(
      RaisedMessage([&] { TSQLiteDatabase db(path); }),
      "Failed to open database \"" + folder.Path("a.sqlite") + "\" : the path holds a zero byte");
  EXPECT_FALSE(std::filesystem::exists(folder.root() / "a.sqlite"));
}

TEST(SQLiteDatabase, PathsAreUtf8) {
  SQLiteTempFolder folder;
  const std::string name = "Profil \xC3\xA9t\xC3\xA9 \xE6\x97\xA5.sqlite";
  MakeDatabase(folder, name, {"CREATE TABLE logins (x)"});
  EXPECT_TRUE(std::filesystem::exists(folder.root() / FromUtf8(name)));
  TSQLiteDatabase db(folder.Path(name));
  EXPECT_TRUE(db.HasTable("logins"));
}

// A statement that never ends (here a recursive query without a bound) is ended by the stop
// check as soon as it says yes, and the table keeps its rows.
TEST(SQLiteDatabase, AStopEndsARunawayStatement) {
  SQLiteTempFolder folder;
  const std::string path =
      MakeDatabase(folder, "places.sqlite",
                   {"CREATE TABLE visits (id INTEGER)", "INSERT INTO visits VALUES (1), (2), (3)"});
  TSQLiteDatabase db(path);
  // Stop is pressed while the statement runs: the check says yes from its 20th question on.
  int asked = 0;
  db.SetStopCheck([&asked] { return ++asked >= 20; });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_THROW(db.RunStatement("DELETE FROM visits WHERE id IN (WITH RECURSIVE n(x) AS "
                               "(SELECT 1 UNION ALL SELECT x + 1 FROM n) "
                               "SELECT x FROM n WHERE x < 0)"),
               ESQLiteException);
  EXPECT_EQ(asked, 20);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_EQ(CountRows(db, "visits"), 3);

  // Without the check, statements run as before; the distrust changes nothing a plain
  // statement needs.
  db.SetStopCheck({});
  db.Distrust();
  db.RunStatement("DELETE FROM visits");
  EXPECT_EQ(CountRows(db, "visits"), 0);
}

}  // namespace
}  // namespace morvel::stores
