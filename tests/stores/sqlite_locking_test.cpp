// A database that another program (a running browser) holds open: a second connection in
// the same process takes the locks, as the browser would.

#include <gtest/gtest.h>

#include <string>

#include "sqlite_test_support.h"
#include "stores/sqlite_database.h"

namespace morvel::stores {
namespace {

using testing::MakeDatabase;
using testing::RaisedMessage;
using testing::SQLiteTempFolder;

const char* const kHistory[] = {"CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY)",
                                "INSERT INTO moz_historyvisits VALUES (1)"};

std::string MakeHistory(const SQLiteTempFolder& folder) {
  return MakeDatabase(folder, "places.sqlite", {kHistory[0], kHistory[1]});
}

std::int32_t VisitCount(const std::string& path) {
  TSQLiteDatabase db(path);
  return db.QueryTable("SELECT id FROM moz_historyvisits")->RowCount();
}

TEST(SQLiteLocking, ExclusiveLockMakesAFreshConnectionFailToReadTheSchema) {
  SQLiteTempFolder folder;
  const std::string path = MakeHistory(folder);
  TSQLiteDatabase browser(path);
  browser.RunStatement("BEGIN EXCLUSIVE");
  TSQLiteDatabase db(path);
  // A new connection reads the schema while preparing, so the lock shows there.
  EXPECT_EQ(RaisedMessage([&] { db.HasTable("moz_historyvisits"); }),
            "Error executing SQL.\rError [5]: The database file is locked.\r"
            "\"select [sql] from sqlite_master where [type] = 'table' and "
            "lower(name) = 'moz_historyvisits' \": database is locked");
  browser.RunStatement("COMMIT");
  EXPECT_TRUE(db.HasTable("moz_historyvisits"));
}

TEST(SQLiteLocking, BusyWhileStepping) {
  SQLiteTempFolder folder;
  const std::string path = MakeHistory(folder);
  TSQLiteDatabase db(path);
  // The schema is known from the first look, so the next query prepares without the file
  // and meets the lock at its first step.
  ASSERT_TRUE(db.HasTable("moz_historyvisits"));
  TSQLiteDatabase browser(path);
  browser.RunStatement("BEGIN EXCLUSIVE");
  EXPECT_EQ(RaisedMessage([&] { db.HasTable("moz_historyvisits"); }),
            "Could not prepare SQL statement");
  browser.RunStatement("ROLLBACK");
  EXPECT_TRUE(db.HasTable("moz_historyvisits"));
}

TEST(SQLiteLocking, LockThatShowsOnlyAtTheDelete) {
  SQLiteTempFolder folder;
  const std::string path = MakeHistory(folder);
  // The browser is writing: readers go on, a second writer is refused.
  TSQLiteDatabase browser(path);
  browser.RunStatement("BEGIN IMMEDIATE");
  {
    TSQLiteDatabase db(path);
    ASSERT_TRUE(db.HasTable("moz_historyvisits"));
    EXPECT_EQ(RaisedMessage([&] { db.RunStatement("DELETE FROM moz_historyvisits"); }),
              "Error executing SQL statement.\rError [5]: The database file is locked.\r"
              "\"DELETE FROM moz_historyvisits\": database is locked");
  }
  browser.RunStatement("COMMIT");
  EXPECT_EQ(VisitCount(path), 1);
}

TEST(SQLiteLocking, ReaderBlocksTheCommitOfTheDelete) {
  SQLiteTempFolder folder;
  const std::string path = MakeHistory(folder);
  // The browser holds a read transaction open: the delete runs but cannot be written.
  TSQLiteDatabase browser(path);
  browser.RunStatement("BEGIN");
  ASSERT_EQ(browser.QueryTable("SELECT id FROM moz_historyvisits")->RowCount(), 1);
  {
    TSQLiteDatabase db(path);
    ASSERT_TRUE(db.HasTable("moz_historyvisits"));
    EXPECT_EQ(RaisedMessage([&] { db.RunStatement("DELETE FROM moz_historyvisits"); }),
              "Error executing SQL statement.\rError [5]: The database file is locked.\r"
              "\"DELETE FROM moz_historyvisits\": database is locked");
  }
  browser.RunStatement("COMMIT");
  // Nothing was deleted, and once the browser lets go the delete goes through.
  EXPECT_EQ(VisitCount(path), 1);
  TSQLiteDatabase db(path);
  db.RunStatement("DELETE FROM moz_historyvisits");
  EXPECT_EQ(VisitCount(path), 0);
}

}  // namespace
}  // namespace morvel::stores
