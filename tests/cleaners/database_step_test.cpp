// Emptying a browser database's table inside its held folder: only a whole database with
// the table changes; a locked, damaged or foreign file ends the step and stays as it was,
// whether the browser holding it goes through the same door or through the system's own
// SQLite; a database kept with a write-ahead log is emptied with its log taken in.

#include "engine/cleaners/database_step.h"

#include <memory>
#include <span>

#include "tests/cleaners/browser_databases.h"
#include "tests/cleaners/cleaners_fixture.h"

#ifndef _WIN32
#include "platform/emulated/emulated_files.h"
#endif

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
    const auto folder = HoldFolderOf(files(), path);
    const std::string shown = path.substr(0, path.rfind('\\'));
    const bool ran = EmptyDatabaseTable(*run, *folder, shown, path.substr(shown.size() + 1),
                                        "MOZ_HISTORYVISITS");
    EXPECT_TRUE(run->log.empty());
    return ran;
  }

  std::string Bytes(const std::string& path) { return files().ReadFile(path).value; }

  // Where the system's own SQLite (the library a browser would use) finds a machine file.
  std::string SystemPath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    auto& emulated = dynamic_cast<platform::emulated::EmulatedFiles&>(files());
    return emulated.HostPath(path).value().string();
#endif
  }

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
    // Nothing is left beside it either: no journal, no log.
    for (const char* beside : {"-journal", "-wal", "-shm"})
      EXPECT_FALSE(Exists(path + beside)) << what << beside;
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
  EXPECT_FALSE(Exists(whole + "-journal"));
}

// The browser holds the database as a reader, as a writer, or as the only one, through
// another open of the held folder or through the system's SQLite: the step ends and the
// database keeps the browser's work; once the browser lets go, the step goes through.
TEST_F(DatabaseStepTest, ADatabaseTheBrowserHoldsEndsTheStepAndStaysWhole) {
  const std::string path = Db("places.sqlite");
  PutHistory(path);
  for (const bool system_sqlite : {false, true}) {
    for (const char* lock : {"BEGIN EXCLUSIVE", "BEGIN IMMEDIATE", "BEGIN"}) {
      SCOPED_TRACE(std::string(lock) + (system_sqlite ? ", the system's SQLite" : ", held"));
      {
        std::unique_ptr<HeldDatabase> held;
        std::unique_ptr<stores::TSQLiteDatabase> by_path;
        if (system_sqlite)
          by_path = std::make_unique<stores::TSQLiteDatabase>(SystemPath(path));
        else
          held = std::make_unique<HeldDatabase>(files(), path);
        stores::TSQLiteDatabase& browser = system_sqlite ? *by_path : held->db;
        browser.RunStatement(lock);
        browser.RunStatement("INSERT INTO moz_historyvisits (place_id) VALUES (1)");
        EXPECT_FALSE(Empty(path));
        browser.RunStatement("ROLLBACK");
      }
      EXPECT_EQ(RowCount(files(), path, "moz_historyvisits"), 3);
      EXPECT_EQ(Integrity(files(), path), "ok");
    }
  }
  EXPECT_TRUE(Empty(path));
  EXPECT_EQ(RowCount(files(), path, "moz_historyvisits"), 0);
}

// A browser that ended without folding its write-ahead log back into the database leaves
// the latest visits in the log: the step takes them in, empties the table and leaves a
// whole database without a log beside it.
TEST_F(DatabaseStepTest, ADatabaseWithAWriteAheadLogIsEmptiedWithItsLog) {
  const std::string original = Db("browser.sqlite");
  PutFile(original, 0);
  const std::string copy = Db("places.sqlite");
  {
    stores::TSQLiteDatabase browser(SystemPath(original));
    (void)browser.QueryTable("PRAGMA journal_mode = WAL");
    browser.RunStatement("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT)");
    browser.RunStatement("CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id)");
    browser.RunStatement("INSERT INTO moz_places (url) VALUES ('http://a/')");
    browser.RunStatement("INSERT INTO moz_historyvisits (place_id) VALUES (1), (1)");
    // The files as a crash would leave them, while the browser still has them open.
    for (const char* part : {"", "-wal"}) {
      const auto reader = files().OpenForReading(original + part);
      ASSERT_TRUE(reader.ok()) << part;
      std::string bytes(reader.value->Size(), '\0');
      ASSERT_TRUE(reader.value->ReadAt(0, std::as_writable_bytes(std::span(bytes))).ok());
      ASSERT_FALSE(bytes.empty()) << part;
      WriteAt(copy + part, bytes);
    }
  }
  EXPECT_TRUE(Empty(copy));
  EXPECT_FALSE(Exists(copy + "-wal"));
  EXPECT_FALSE(Exists(copy + "-shm"));
  stores::TSQLiteDatabase after(SystemPath(copy));
  EXPECT_EQ(after.QueryTable("SELECT 1 FROM moz_historyvisits")->RowCount(), 0);
  EXPECT_EQ(after.QueryTable("SELECT 1 FROM moz_places")->RowCount(), 1);
}

}  // namespace
}  // namespace morvel::cleaners_test
