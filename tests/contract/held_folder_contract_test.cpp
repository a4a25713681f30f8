// What a held folder does inside itself beyond listing and entering, the same on every
// backend: deleting as the shell does, describing entries, and opening files for a database
// library, judged on the opened handle; and SQLite working through it alone.

#include <span>
#include <string>
#include <vector>

#include "common/text.h"
#include "stores/sqlite_database.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using platform::FileOpening;
using platform::RangeLock;
namespace attr = platform::attr;

class HeldFolderContract : public PortContract {
 protected:
  // The scratch folder, held as a cleaner holds it.
  std::unique_ptr<platform::FolderHandle> Hold() {
    const auto real = files().FinalPath(Path());
    EXPECT_TRUE(real.ok());
    auto held = files().OpenFolder(real.value);
    EXPECT_TRUE(held.ok()) << platform::ErrorKindName(held.status.kind);
    return std::move(held.value);
  }

  std::unique_ptr<platform::DatabaseFile> OpenDb(platform::FolderHandle& folder,
                                                 std::string_view name) {
    auto opened = folder.OpenDatabaseFile(name, FileOpening::Existing);
    EXPECT_TRUE(opened.ok()) << name << ": " << platform::ErrorKindName(opened.status.kind);
    return std::move(opened.value);
  }
};

std::span<const std::byte> Bytes(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

std::string Read(const platform::DatabaseFile& file, std::uint64_t offset, std::size_t size) {
  std::string text(size, '\0');
  const auto read = file.ReadAt(offset, std::as_writable_bytes(std::span(text)));
  EXPECT_TRUE(read.ok());
  text.resize(read.value);
  return text;
}

TEST_F(HeldFolderContract, DeletesAsTheShellDoesAndOnlyItsOwnEntries) {
  for (const char* name : {"plain.txt", "readonly.txt", "hidden.sys", "in use.dat", "keep.txt"})
    ASSERT_TRUE(files().WriteFile(Path(name), name).ok());
  ASSERT_TRUE(files().CreateFolder(Path("Full\\Inner")).ok());
  auto held = Hold();

  // Names that could reach beyond the folder, or more than one entry, delete nothing.
  for (const char* name :
       {"", ".", "..", "..\\keep.txt", "Full\\Inner", "keep.txt:stream", "*.txt", "keep.tx?"})
    EXPECT_FALSE(held->DeleteListedFile(name).ok()) << name;
  EXPECT_TRUE(files().Exists(Path("keep.txt")));

  EXPECT_TRUE(held->DeleteListedFile("PLAIN.TXT").ok());
  EXPECT_EQ(held->DeleteListedFile("plain.txt").kind, ErrorKind::NotFound);
  EXPECT_EQ(held->DeleteListedFile("Full").kind, ErrorKind::AccessDenied);
  const platform::Status full = held->RemoveSubFolder("Full");
  EXPECT_EQ(full.kind, ErrorKind::Other);
  EXPECT_EQ(full.system_code, 145u);  // ERROR_DIR_NOT_EMPTY
  EXPECT_EQ(held->RemoveSubFolder("keep.txt").kind, ErrorKind::AccessDenied);

  // Where files can be read-only, and can have hidden and system attributes.
  if (!backend().SetAttributes(Path("readonly.txt"), attr::ReadOnly)) {
    EXPECT_TRUE(held->DeleteListedFile("readonly.txt").ok());
    EXPECT_FALSE(files().Exists(Path("readonly.txt")));
  }
  if (!backend().SetAttributes(Path("hidden.sys"), attr::Hidden | attr::System)) {
    EXPECT_TRUE(held->DeleteListedFile("hidden.sys").ok());
    EXPECT_FALSE(files().Exists(Path("hidden.sys")));
  }
  SKIP_IF(backend().LockFile(Path("in use.dat")));
  held = Hold();  // the machine may have been reopened to lock the file
  EXPECT_EQ(held->DeleteListedFile("in use.dat").kind, ErrorKind::InUse);
  EXPECT_TRUE(files().Exists(Path("in use.dat")));
}

// Deleting or removing a link takes the link alone, whatever it leads to.
TEST_F(HeldFolderContract, LinksGoAsTheLinks) {
  ASSERT_TRUE(files().CreateFolder(Path("Target")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Target\\precious.txt"), "keep").ok());
  SKIP_IF(backend().MakeLink(Path("FolderLink"), Path("Target"), true));
  SKIP_IF(backend().MakeLink(Path("FileLink"), Path("Target\\precious.txt"), false));
  SKIP_IF(backend().MakeLink(Path("Other"), Path("Target"), true));
  auto held = Hold();

  EXPECT_TRUE(held->DeleteListedFile("FileLink").ok());
  EXPECT_TRUE(held->DeleteListedFile("FolderLink").ok());
  EXPECT_FALSE(held->RemoveSubFolder("Target\\..\\Other").ok());
  EXPECT_TRUE(held->RemoveSubFolder("Other").ok());
  for (const char* gone : {"FileLink", "FolderLink", "Other"})
    EXPECT_FALSE(files().Exists(Path(gone))) << gone;
  EXPECT_EQ(files().ReadFile(Path("Target\\precious.txt")).value, "keep");
}

// An entry is described as the listing describes it.
TEST_F(HeldFolderContract, StatEntryDescribesEntriesAsTheListingDoes) {
  ASSERT_TRUE(files().WriteFile(Path("File.bin"), std::string(1234, 'x')).ok());
  ASSERT_TRUE(files().CreateFolder(Path("Folder")).ok());
  (void)backend().MakeLink(Path("Link"), Path("Folder"), true);  // where links can be made
  auto held = Hold();
  std::vector<platform::FileEntry> listed;
  ASSERT_TRUE(held->Enumerate([&](const platform::FileEntry& e) {
                    listed.push_back(e);
                    return true;
                  })
                  .ok());
  ASSERT_GE(listed.size(), 2u);
  for (const platform::FileEntry& entry : listed) {
    SCOPED_TRACE(entry.name);
    const auto described = held->StatEntry(UpperCase(entry.name));
    ASSERT_TRUE(described.ok());
    EXPECT_EQ(described.value.name, entry.name);
    EXPECT_EQ(described.value.attributes & (attr::Directory | attr::ReparsePoint),
              entry.attributes & (attr::Directory | attr::ReparsePoint));
    EXPECT_EQ(described.value.size, entry.size);
  }
  EXPECT_EQ(held->StatEntry("missing").status.kind, ErrorKind::NotFound);
  EXPECT_FALSE(held->StatEntry("Folder\\..\\File.bin").ok());
}

// Whatever stands at the name is judged once it is open; nothing a link leads to, and no
// other name's file, is ever handed out, and nothing is made through a link.
TEST_F(HeldFolderContract, OpenDatabaseFileJudgesWhatItOpened) {
  ASSERT_TRUE(files().WriteFile(Path("places.sqlite"), "database").ok());
  ASSERT_TRUE(files().WriteFile(Path("users.doc"), "the user's").ok());
  ASSERT_TRUE(files().CreateFolder(Path("Folder")).ok());
  ASSERT_TRUE(files().WriteFile(Path("readonly.sqlite"), "ro").ok());
  struct Case {
    const char* name;
    FileOpening opening;
    ErrorKind expected;
  };
  std::vector<Case> cases = {
      {"PLACES.sqlite", FileOpening::Existing, ErrorKind::None},
      {"missing", FileOpening::Existing, ErrorKind::NotFound},
      {"Folder", FileOpening::CreateIfMissing, ErrorKind::AccessDenied},
      {"..", FileOpening::CreateIfMissing, ErrorKind::NotFound},
      {"places.sqlite:stream", FileOpening::CreateIfMissing, ErrorKind::NotFound},
  };
  if (!backend().SetAttributes(Path("readonly.sqlite"), attr::ReadOnly))
    cases.push_back({"readonly.sqlite", FileOpening::Existing, ErrorKind::AccessDenied});
  if (!backend().MakeHardLink(Path("hard.sqlite-journal"), Path("users.doc")))
    cases.push_back({"hard.sqlite-journal", FileOpening::CreateIfMissing, ErrorKind::HardLinked});
  if (!backend().MakeLink(Path("link.sqlite-journal"), Path("users.doc"), false))
    cases.push_back({"link.sqlite-journal", FileOpening::CreateIfMissing, ErrorKind::Link});
  if (!backend().MakeLink(Path("dangling-wal"), Path("made-through-the-link"), false))
    cases.push_back({"dangling-wal", FileOpening::CreateIfMissing, ErrorKind::Link});
  auto held = Hold();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto opened = held->OpenDatabaseFile(c.name, c.opening);
    if (c.expected == ErrorKind::None) {
      ASSERT_TRUE(opened.ok()) << platform::ErrorKindName(opened.status.kind);
      EXPECT_EQ(Read(*opened.value, 0, 100), "database");
      EXPECT_EQ(opened.value->LinkCount().value, 1u);
    } else {
      // Not Ok is enough where a backend tells a bad name another way.
      EXPECT_FALSE(opened.ok());
      if (c.expected != ErrorKind::NotFound) {
        EXPECT_EQ(opened.status.kind, c.expected);
      }
    }
  }
  EXPECT_EQ(files().ReadFile(Path("users.doc")).value, "the user's");
  EXPECT_FALSE(files().Exists(Path("made-through-the-link")));
  EXPECT_FALSE(files().Exists(Path("missing")));

  // A journal to be made is made, empty, and held: nobody deletes it meanwhile.
  {
    const auto journal = held->OpenDatabaseFile("new.sqlite-journal", FileOpening::CreateIfMissing);
    ASSERT_TRUE(journal.ok());
    EXPECT_EQ(journal.value->Size().value, 0u);
    EXPECT_EQ(held->DeleteListedFile("new.sqlite-journal").kind, ErrorKind::InUse);
  }
  EXPECT_TRUE(held->DeleteListedFile("new.sqlite-journal").ok());
}

TEST_F(HeldFolderContract, DatabaseFilesAreWrittenCutAndLockedByRanges) {
  ASSERT_TRUE(files().WriteFile(Path("db"), "0123456789").ok());
  auto held = Hold();
  auto first = OpenDb(*held, "db");
  auto second = OpenDb(*held, "db");
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(first->WriteAt(12, Bytes("ab")).ok());
  EXPECT_EQ(second->Size().value, 14u);
  EXPECT_EQ(Read(*second, 8, 10), std::string("89\0\0ab", 6));
  ASSERT_TRUE(first->Truncate(4).ok());
  EXPECT_EQ(Read(*second, 0, 10), "0123");
  ASSERT_TRUE(second->Flush().ok());

  // Locks of one open file conflict with another's as shared and exclusive locks do, also
  // far past the end of the file, where SQLite keeps its lock bytes.
  constexpr std::uint64_t kFar = 0x40000000;
  struct Case {
    RangeLock held;
    std::uint64_t held_at;
    RangeLock wanted;
    std::uint64_t wanted_at;
    bool granted;
  };
  const Case cases[] = {
      {RangeLock::Shared, kFar, RangeLock::Shared, kFar, true},
      {RangeLock::Shared, kFar, RangeLock::Exclusive, kFar, false},
      {RangeLock::Exclusive, kFar, RangeLock::Shared, kFar, false},
      {RangeLock::Exclusive, kFar, RangeLock::Exclusive, kFar + 2, true},
      {RangeLock::Exclusive, 0, RangeLock::Exclusive, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.held_at) + " / " + std::to_string(c.wanted_at));
    ASSERT_TRUE(first->LockRange(c.held_at, 2, c.held).ok());
    const platform::Status wanted = second->LockRange(c.wanted_at, 1, c.wanted);
    EXPECT_EQ(wanted.ok(), c.granted);
    if (!c.granted) {
      EXPECT_EQ(wanted.kind, ErrorKind::InUse);
    } else if (wanted.ok()) {
      EXPECT_TRUE(second->UnlockRange(c.wanted_at, 1).ok());
    }
    EXPECT_TRUE(first->UnlockRange(c.held_at, 2).ok());
    // Given back, the range is free for the other.
    EXPECT_TRUE(second->LockRange(c.held_at, 2, RangeLock::Exclusive).ok());
    EXPECT_TRUE(second->UnlockRange(c.held_at, 2).ok());
  }
  // A lock goes with its file.
  ASSERT_TRUE(first->LockRange(kFar, 1, RangeLock::Exclusive).ok());
  first.reset();
  EXPECT_TRUE(second->LockRange(kFar, 1, RangeLock::Exclusive).ok());
}

// SQLite on a database of a held folder: the database, its journal made and removed
// beside it, all inside the folder; a journal that is another name of the user's file at
// the moment SQLite makes it is never written, nor the database changed.
TEST_F(HeldFolderContract, SQLiteWorksThroughTheHeldFolderAlone) {
  ASSERT_TRUE(files().WriteFile(Path("places.sqlite"), "").ok());
  auto held = Hold();
  {
    stores::FileRefusal refusal;
    stores::TSQLiteDatabase db(*held, "places.sqlite", refusal);
    db.RunStatement("CREATE TABLE visits (id INTEGER PRIMARY KEY, url TEXT)");
    db.RunStatement("INSERT INTO visits (url) VALUES ('http://a/'), ('http://b/')");
    EXPECT_EQ(db.QueryTable("SELECT 1 FROM visits")->RowCount(), 2);
    EXPECT_EQ(refusal.kind, ErrorKind::None);
  }
  EXPECT_FALSE(files().Exists(Path("places.sqlite-journal")));
  EXPECT_GT(files().Stat(Path("places.sqlite")).value.size, 0u);

  ASSERT_TRUE(files().WriteFile(Path("users.doc"), "the user's own").ok());
  SKIP_IF(backend().MakeHardLink(Path("places.sqlite-journal"), Path("users.doc")));
  const std::string database = files().ReadFile(Path("places.sqlite")).value;
  stores::FileRefusal refusal;
  EXPECT_THROW(
      {
        stores::TSQLiteDatabase db(*held, "places.sqlite", refusal);
        db.RunStatement("DELETE FROM visits");
      },
      stores::ESQLiteException);
  EXPECT_EQ(refusal.name, "places.sqlite-journal");
  EXPECT_EQ(refusal.kind, ErrorKind::HardLinked);
  EXPECT_EQ(files().ReadFile(Path("users.doc")).value, "the user's own");
  EXPECT_EQ(files().ReadFile(Path("places.sqlite")).value, database);
}

}  // namespace
}  // namespace morvel::contract
