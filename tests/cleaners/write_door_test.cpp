// The write door on both backends: a file a cleaner writes in place (a browser database and
// its journal, an index.dat) that is another name of some other file, or a link to it, is
// skipped with a line, and the other file keeps every byte. A database's own stored
// triggers and views do not run for the cleaner's statement.

#include "engine/cleaners/database_step.h"
#include "engine/cleaners/ie_support.h"
#include "tests/cleaners/browser_databases.h"
#include "tests/cleaners/cleaners_fixture.h"
#include "tests/stores/index_dat_builder.h"

namespace morvel::cleaners_test {
namespace {

// The history step on the places.sqlite of `folder`\Profile, as the Firefox item runs it.
bool EmptyVisits(RunContext& run, const std::string& folder,
                 const char* table = "moz_historyvisits") {
  const std::string profile = folder + "\\Profile";
  const auto held = HoldFolderOf(run.port().files, profile + "\\places.sqlite");
  return EmptyDatabaseTable(run, *held, profile, "places.sqlite", table);
}

class WriteDoorTest : public CleanersTest {
 protected:
  // A places.sqlite with visits, bookmarks and places.
  void PutPlaces(const std::string& path, std::initializer_list<std::string> more = {}) {
    PutFile(path, 0);
    RunSql(files(), path,
           {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT)",
            "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, fk INTEGER)",
            "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)",
            "INSERT INTO moz_places (url) VALUES ('http://a/')",
            "INSERT INTO moz_bookmarks (fk) VALUES (1)",
            "INSERT INTO moz_historyvisits (place_id) VALUES (1), (1)"});
    if (more.size() > 0) RunSql(files(), path, more);
  }
  std::string Bytes(const std::string& path) { return files().ReadFile(path).value; }
  // A place of this test's own in the machine's temporary folder.
  std::string At(std::string_view sub = {}) {
    return Temp() + "\\WriteDoor" + (sub.empty() ? "" : "\\" + std::string(sub));
  }
};

// Each door, with the file it writes made a second name (or a link) of the user's file.
TEST_F(WriteDoorTest, AFileWithAnotherNameOrALinkIsNeverWritten) {
  enum class Kind { HardLink, Link };
  struct Door {
    const char* name;
    const char* written;  // the file the step writes, below the scratch folder
    void (*step)(RunContext& run, const std::string& folder);
  };
  const Door doors[] = {
      {"the history database", "Profile\\places.sqlite",
       [](RunContext& run, const std::string& folder) { EXPECT_FALSE(EmptyVisits(run, folder)); }},
      {"the database's journal", "Profile\\places.sqlite-journal",
       [](RunContext& run, const std::string& folder) { EXPECT_FALSE(EmptyVisits(run, folder)); }},
      {"the database's write-ahead log", "Profile\\places.sqlite-wal",
       [](RunContext& run, const std::string& folder) { EXPECT_FALSE(EmptyVisits(run, folder)); }},
      {"an index.dat", "Cookies\\index.dat",
       [](RunContext& run, const std::string& folder) {
         Executor executor(run);
         executor.ForEachFolder(InFolder(folder + "\\Cookies"), [&run](Executor::Reached& cookies) {
           WipeIndexDatFile(run, cookies.folder, cookies.shown, "index.dat");
         });
       }},
  };
  for (const Door& door : doors) {
    for (const Kind kind : {Kind::HardLink, Kind::Link}) {
      SCOPED_TRACE(std::string(door.name) + (kind == Kind::Link ? ", a link" : ", another name"));
      const std::string users = At("Documents\\backup.bin");
      PutPlaces(At("Profile\\places.sqlite"));
      PutFile(At("Cookies\\placeholder"), 1);
      (void)files().ShellDelete(At(door.written));
      // The user's own file, of the kind the step would change: a database, or an index.
      if (std::string(door.written).ends_with("index.dat"))
        WriteAt(users, testing::IndexDatBuilder(0x1000, 0x100)
                           .Table(0x100, 1)
                           .UrlRecord(0x200, "http://kept/", 1)
                           .bytes);
      else
        PutPlaces(users);
      const std::string before = Bytes(users);
      const std::string database_before = Bytes(At("Profile\\places.sqlite"));
      const auto made = kind == Kind::HardLink ? machine().MakeHardLink(At(door.written), users)
                                               : machine().MakeLink(At(door.written), users, false);
      if (made) {
        (void)files().ShellDelete(users);
        continue;  // this backend cannot make it here
      }
      auto run = MakeRun(RunMode::Clean);
      door.step(*run, At());
      EXPECT_EQ(Bytes(users), before);
      if (!std::string(door.written).ends_with("places.sqlite")) {
        EXPECT_EQ(Bytes(At("Profile\\places.sqlite")), database_before);
      }
      const std::string why = kind == Kind::Link
                                  ? "a link is never written through"
                                  : "a file with more than one name is never written";
      EXPECT_EQ(run->log,
                std::vector<std::string>{"Clean: skipping " + At(door.written) + ": " + why});
      (void)files().ShellDelete(At(door.written));
      (void)files().ShellDelete(users);
    }
  }
}

// A trigger stored in the database would empty the bookmarks as the visits go, and a view
// could stand in for the table: neither runs for the cleaner.
TEST_F(WriteDoorTest, StoredTriggersAndViewsDoNotRun) {
  const std::string places = At("Profile\\places.sqlite");
  PutPlaces(places, {"CREATE TRIGGER wipe AFTER DELETE ON moz_historyvisits BEGIN "
                     "DELETE FROM moz_bookmarks; DELETE FROM moz_places; END",
                     "CREATE VIEW moz_formhistory AS SELECT * FROM moz_bookmarks"});
  auto run = MakeRun(RunMode::Clean);
  EXPECT_TRUE(EmptyVisits(*run, At()));
  EXPECT_EQ(RowCount(files(), places, "moz_historyvisits"), 0);
  EXPECT_EQ(RowCount(files(), places, "moz_bookmarks"), 1);
  EXPECT_EQ(RowCount(files(), places, "moz_places"), 1);
  // A view is no table to empty.
  EXPECT_FALSE(EmptyVisits(*run, At(), "moz_formhistory"));
  EXPECT_EQ(RowCount(files(), places, "moz_bookmarks"), 1);
}

}  // namespace
}  // namespace morvel::cleaners_test
