// Emptying a browser database's table through the port: only a whole database with the
// table changes; a locked, damaged or foreign file ends the step and stays as it was.

#include "engine/cleaners/database_step.h"

#include "tests/cleaners/browser_databases.h"
#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

class DatabaseStepTest : public CleanersTest {
 protected:
  std::string Db(const std::string& name) { return Temp() + "\\Profile\\" + name; }

  // A database of two tables: the one the step empties and one that must stay.
  void PutHistory(const std::string& path) {
    PutFile(path, 0);
    RunSql(files(), path,
           {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT)",
            "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)",
            "INSERT INTO moz_places (url) VALUES ('http://a/'), ('http://b/')",
            "INSERT INTO moz_historyvisits (place_id) VALUES (1), (2), (2)"});
  }

  bool Empty(const std::string& path, RunMode mode = RunMode::Clean) {
    const auto run = MakeRun(mode);
    const bool ran = EmptyDatabaseTable(*run, path, "MOZ_HISTORYVISITS");
    EXPECT_TRUE(run->log.empty());
    return ran;
  }

  std::string Bytes(const std::string& path) { return files().ReadFile(path).value; }

  // A file that is no whole database with the table, of the kind `what` names.
  void Make(std::string_view what, const std::string& path) {
    if (what == "without the table") {
      PutFile(path, 0);
      RunSql(files(), path,
             {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY)",
              "INSERT INTO moz_places VALUES (7)"});
    } else if (what == "not a database") {
      PutFile(path, 3000);
    } else if (what == "damaged schema") {
      PutHistory(path);
      std::string bytes = Bytes(path);
      const std::size_t at = bytes.find("CREATE TABLE moz_historyvisits");
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, 12, "CREATE TAXLE");
      ASSERT_TRUE(files().WriteFile(path, bytes).ok());
    } else if (what == "zero bytes") {
      PutFile(path, 0);
    } else {
      PutFile(path + "\\inside");
    }
  }
};

TEST_F(DatabaseStepTest, OnlyAWholeDatabaseWithTheTableChanges) {
  for (const char* what :
       {"without the table", "not a database", "damaged schema", "zero bytes", "a folder"}) {
    const std::string path = Db(std::string(what) + ".sqlite");
    Make(what, path);
    const std::string before = Bytes(path);
    EXPECT_FALSE(Empty(path)) << what;
    EXPECT_EQ(Bytes(path), before) << what;
  }
  EXPECT_FALSE(Empty(Db("missing.sqlite")));
  EXPECT_FALSE(Exists(Db("missing.sqlite")));

  const std::string whole = Db("places.sqlite");
  PutHistory(whole);
  EXPECT_FALSE(Empty(whole, RunMode::Test));
  EXPECT_EQ(RowCount(files(), whole, "moz_historyvisits"), 3);
  EXPECT_TRUE(Empty(whole));
  EXPECT_EQ(RowCount(files(), whole, "moz_historyvisits"), 0);
  EXPECT_EQ(RowCount(files(), whole, "moz_places"), 2);
  EXPECT_EQ(Integrity(files(), whole), "ok");
}

TEST_F(DatabaseStepTest, ADatabaseTheBrowserHoldsEndsTheStepAndStaysWhole) {
  const std::string path = Db("places.sqlite");
  PutHistory(path);
  for (const char* lock : {"BEGIN EXCLUSIVE", "BEGIN IMMEDIATE"}) {
    stores::TSQLiteDatabase browser(LibraryPathOf(files(), path));
    browser.RunStatement(lock);
    browser.RunStatement("INSERT INTO moz_historyvisits (place_id) VALUES (1)");
    EXPECT_FALSE(Empty(path)) << lock;
    browser.RunStatement("ROLLBACK");
    EXPECT_EQ(RowCount(files(), path, "moz_historyvisits"), 3) << lock;
    EXPECT_EQ(Integrity(files(), path), "ok") << lock;
  }
  // Once the browser lets go, the step goes through.
  EXPECT_TRUE(Empty(path));
  EXPECT_EQ(RowCount(files(), path, "moz_historyvisits"), 0);
}

}  // namespace
}  // namespace morvel::cleaners_test
