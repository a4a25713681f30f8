// The file-system part of the port, the same on every backend.

#include <string>
#include <vector>

#include "common/text.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using platform::FileEntry;
namespace attr = platform::attr;

using FileSystemContract = PortContract;

// 2020-01-01 as a FILETIME: any file made now is later.
constexpr std::uint64_t kYear2020 = 132223104000000000ull;

std::vector<FileEntry> List(platform::FileSystem& files, const std::string& folder) {
  std::vector<FileEntry> entries;
  const platform::Status status = files.Enumerate(folder, [&](const FileEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  EXPECT_TRUE(status.ok()) << folder << ": " << platform::ErrorKindName(status.kind);
  return entries;
}

std::vector<std::string> NamesOf(const std::vector<FileEntry>& entries) {
  std::vector<std::string> names;
  for (const FileEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST_F(FileSystemContract, EnumerateListsEntriesInNtfsOrderWithAttributesAndSizes) {
  ASSERT_TRUE(files().WriteFile(Path("b.txt"), "abc").ok());
  ASSERT_TRUE(files().WriteFile(Path("A.txt"), "").ok());
  ASSERT_TRUE(files().WriteFile(Path("_under"), "12345").ok());
  ASSERT_TRUE(files().CreateFolder(Path("Sub")).ok());
  ASSERT_TRUE(files().CreateFolder(Path("c")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Sub\\inner.bin"), std::string(70000, 'x')).ok());

  // "_" sorts after the upper-case letters but before the lower-case ones.
  const std::vector<FileEntry> entries = List(files(), Path());
  ASSERT_EQ(NamesOf(entries), (std::vector<std::string>{"A.txt", "b.txt", "c", "Sub", "_under"}));
  const std::vector<std::uint64_t> sizes{0, 3, 0, 0, 5};
  const std::vector<bool> folders{false, false, true, true, false};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(entries[i].name);
    EXPECT_EQ(entries[i].size, sizes[i]);
    EXPECT_EQ(entries[i].IsFolder(), folders[i]);
    EXPECT_FALSE(entries[i].IsReparsePoint());
    EXPECT_GT(entries[i].last_write, kYear2020);
  }
  const std::vector<FileEntry> inner = List(files(), Path("Sub"));
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].size, 70000u);

  std::vector<std::string> seen;
  ASSERT_TRUE(files()
                  .Enumerate(Path(),
                             [&](const FileEntry& entry) {
                               seen.push_back(entry.name);
                               return seen.size() < 2;
                             })
                  .ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"A.txt", "b.txt"}));
}

TEST_F(FileSystemContract, EnumerateRefusesMissingFoldersAndFiles) {
  ASSERT_TRUE(files().WriteFile(Path("file.txt"), "x").ok());
  int visits = 0;
  const auto count = [&](const FileEntry&) { return ++visits > 0; };
  EXPECT_EQ(files().Enumerate(Path("missing"), count).kind, ErrorKind::NotFound);
  EXPECT_EQ(files().Enumerate(Path("missing\\deeper"), count).kind, ErrorKind::NotFound);
  EXPECT_EQ(files().Enumerate(Path("file.txt"), count).kind, ErrorKind::AccessDenied);
  EXPECT_EQ(visits, 0);

  ASSERT_TRUE(files().CreateFolder(Path("empty")).ok());
  EXPECT_TRUE(files().Enumerate(Path("empty"), count).ok());
  EXPECT_EQ(visits, 0);
}

TEST_F(FileSystemContract, StatDescribesFilesAndFoldersWithTheirCreatedNames) {
  ASSERT_TRUE(files().CreateFolder(Path("Folder")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Folder\\Data.BIN"), std::string(1234, '\0')).ok());

  const auto file = files().Stat(Path("FOLDER\\data.bin"));
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file.value.name, "Data.BIN");
  EXPECT_EQ(file.value.size, 1234u);
  EXPECT_FALSE(file.value.IsFolder());
  EXPECT_FALSE(file.value.IsReparsePoint());
  EXPECT_GT(file.value.last_write, kYear2020);

  const auto folder = files().Stat(Path("folder"));
  ASSERT_TRUE(folder.ok());
  EXPECT_EQ(folder.value.name, "Folder");
  EXPECT_TRUE(folder.value.IsFolder());
  EXPECT_EQ(folder.value.size, 0u);

  EXPECT_EQ(files().Stat(Path("missing")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().Stat(Path("missing\\deeper")).status.kind, ErrorKind::NotFound);
  const std::string root = Path().substr(0, 3);  // "C:\\"
  const auto drive = files().Stat(root);
  ASSERT_TRUE(drive.ok()) << root;
  EXPECT_TRUE(drive.value.IsFolder());
  EXPECT_EQ(drive.value.name, "");

  EXPECT_TRUE(files().Exists(Path("Folder\\Data.bin")));
  EXPECT_FALSE(files().Exists(Path("Folder\\Data.bin2")));
}

TEST_F(FileSystemContract, LinksAreReportedAsReparsePointsNotAsTheirTargets) {
  ASSERT_TRUE(files().CreateFolder(Path("Target")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Target\\inside.txt"), "in").ok());
  ASSERT_TRUE(files().WriteFile(Path("target.txt"), "0123456789").ok());
  SKIP_IF(backend().MakeLink(Path("FolderLink"), Path("Target"), true));
  SKIP_IF(backend().MakeLink(Path("FileLink"), Path("target.txt"), false));

  const auto folder_link = files().Stat(Path("folderlink"));
  ASSERT_TRUE(folder_link.ok()) << platform::ErrorKindName(folder_link.status.kind) << " "
                                << folder_link.status.system_code;
  EXPECT_EQ(folder_link.value.name, "FolderLink");
  EXPECT_TRUE(folder_link.value.IsReparsePoint());
  EXPECT_TRUE(folder_link.value.IsFolder());

  const auto file_link = files().Stat(Path("FileLink"));
  ASSERT_TRUE(file_link.ok());
  EXPECT_TRUE(file_link.value.IsReparsePoint());
  EXPECT_FALSE(file_link.value.IsFolder());
  EXPECT_EQ(file_link.value.size, 0u);  // the link's own size, not the target's

  const std::vector<FileEntry> entries = List(files(), Path());
  ASSERT_EQ(NamesOf(entries),
            (std::vector<std::string>{"FileLink", "FolderLink", "Target", "target.txt"}));
  EXPECT_EQ(entries[0].attributes & (attr::ReparsePoint | attr::Directory), attr::ReparsePoint);
  EXPECT_EQ(entries[1].attributes & (attr::ReparsePoint | attr::Directory),
            attr::ReparsePoint | attr::Directory);
  EXPECT_FALSE(entries[2].IsReparsePoint());
}

TEST_F(FileSystemContract, LinksLeadToTheirTargets) {
  ASSERT_TRUE(files().CreateFolder(Path("Target")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Target\\inside.txt"), "in").ok());
  ASSERT_TRUE(files().WriteFile(Path("target.txt"), "0123456789").ok());
  SKIP_IF(backend().MakeLink(Path("FolderLink"), Path("Target"), true));
  SKIP_IF(backend().MakeLink(Path("FileLink"), Path("target.txt"), false));

  EXPECT_EQ(NamesOf(List(files(), Path("FolderLink"))), std::vector<std::string>{"inside.txt"});
  EXPECT_EQ(files().ReadFile(Path("folderlink\\INSIDE.txt")).value, "in");
  EXPECT_EQ(files().ReadFile(Path("FileLink")).value, "0123456789");
}

TEST_F(FileSystemContract, WriteFileCreatesAndReplacesWholeFiles) {
  const std::string bytes("\0\x01\xff\r\nline\n\x80", 10);
  ASSERT_TRUE(files().WriteFile(Path("data.bin"), bytes).ok());
  EXPECT_EQ(files().ReadFile(Path("data.bin")).value, bytes);

  const std::string big(300000, 'q');
  ASSERT_TRUE(files().WriteFile(Path("DATA.bin"), big).ok());
  EXPECT_EQ(files().ReadFile(Path("data.bin")).value, big);

  ASSERT_TRUE(files().WriteFile(Path("data.bin"), "short").ok());
  EXPECT_EQ(files().ReadFile(Path("data.bin")).value, "short");
  ASSERT_TRUE(files().WriteFile(Path("data.bin"), "").ok());
  const auto empty = files().ReadFile(Path("data.bin"));
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty.value, "");

  // No temporary file is left beside it.
  const std::vector<FileEntry> entries = List(files(), Path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(SameText(entries[0].name, "data.bin"));
}

TEST_F(FileSystemContract, WriteFileNeedsAnExistingFolderAndLeavesFoldersAlone) {
  EXPECT_EQ(files().WriteFile(Path("missing\\file.txt"), "x").kind, ErrorKind::NotFound);
  EXPECT_FALSE(files().Exists(Path("missing")));

  ASSERT_TRUE(files().CreateFolder(Path("Folder")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Folder\\inside.txt"), "x").ok());
  EXPECT_EQ(files().WriteFile(Path("folder"), "over").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(NamesOf(List(files(), Path())), std::vector<std::string>{"Folder"});
  EXPECT_EQ(files().ReadFile(Path("Folder\\inside.txt")).value, "x");
}

TEST_F(FileSystemContract, ReadFileFailsOnMissingFilesFoldersAndLockedFiles) {
  ASSERT_TRUE(files().CreateFolder(Path("folder")).ok());
  ASSERT_TRUE(files().WriteFile(Path("locked.txt"), "secret").ok());
  EXPECT_EQ(files().ReadFile(Path("missing.txt")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().ReadFile(Path("missing\\file.txt")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().ReadFile(Path("folder")).status.kind, ErrorKind::AccessDenied);

  SKIP_IF(backend().LockFile(Path("locked.txt")));
  const auto locked = files().ReadFile(Path("LOCKED.txt"));
  EXPECT_EQ(locked.status.kind, ErrorKind::InUse);
  EXPECT_EQ(locked.value, "");
  // Being in use does not hide the file.
  const auto stat = files().Stat(Path("locked.txt"));
  ASSERT_TRUE(stat.ok());
  EXPECT_EQ(stat.value.size, 6u);
}

TEST_F(FileSystemContract, CreateFolderMakesMissingParents) {
  ASSERT_TRUE(files().CreateFolder(Path("a\\b\\c")).ok());
  for (const char* folder : {"a", "a\\b", "a\\b\\c"}) {
    const auto stat = files().Stat(Path(folder));
    ASSERT_TRUE(stat.ok()) << folder;
    EXPECT_TRUE(stat.value.IsFolder()) << folder;
  }
  EXPECT_TRUE(files().CreateFolder(Path("A\\B")).ok());
  EXPECT_EQ(NamesOf(List(files(), Path("a"))), std::vector<std::string>{"b"});
  EXPECT_TRUE(files().CreateFolder(Path("a\\b\\c\\")).ok());

  ASSERT_TRUE(files().WriteFile(Path("a\\file"), "x").ok());
  EXPECT_EQ(files().CreateFolder(Path("a\\file")).kind, ErrorKind::AlreadyExists);
  EXPECT_EQ(files().ReadFile(Path("a\\file")).value, "x");
}

TEST_F(FileSystemContract, PathsResolveWithoutRegardToCase) {
  ASSERT_TRUE(files().CreateFolder(Path("Mixed\\Inner")).ok());
  ASSERT_TRUE(files().WriteFile(Path("mixed\\INNER\\File.Txt"), "first").ok());
  EXPECT_EQ(files().ReadFile(Path("MIXED\\inner\\FILE.TXT")).value, "first");
  EXPECT_EQ(NamesOf(List(files(), Path("mIxEd"))), std::vector<std::string>{"Inner"});
  EXPECT_EQ(NamesOf(List(files(), Path("MIXED\\INNER"))), std::vector<std::string>{"File.Txt"});

  const std::string unicode = "Gr\u00fc\u00dfe \u041a\u043b\u044e\u0447.txt";
  ASSERT_TRUE(files().WriteFile(Path("Mixed\\" + unicode), "u").ok());
  EXPECT_EQ(NamesOf(List(files(), Path("Mixed"))), (std::vector<std::string>{unicode, "Inner"}));
  const auto stat = files().Stat(Path("MIXED\\" + unicode));
  ASSERT_TRUE(stat.ok());
  EXPECT_EQ(stat.value.name, unicode);

  ASSERT_TRUE(files().WriteFile(Path("MIXED\\Inner\\file.txt"), "second").ok());
  EXPECT_EQ(files().ReadFile(Path("Mixed\\Inner\\File.Txt")).value, "second");
  EXPECT_EQ(List(files(), Path("Mixed\\Inner")).size(), 1u);
}

// A held folder works inside itself: it lists as Enumerate does, enters sub-folders (never
// files, missing names or links), and deletes, removes and opens its own entries by name.
TEST_F(FileSystemContract, AHeldFolderWorksInsideItself) {
  ASSERT_TRUE(files().WriteFile(Path("a.txt"), "abc").ok());
  ASSERT_TRUE(files().CreateFolder(Path("Sub\\Deeper")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Sub\\b.txt"), "b").ok());
  const auto real = files().FinalPath(Path());
  ASSERT_TRUE(real.ok());
  auto held = files().OpenFolder(real.value);
  ASSERT_TRUE(held.ok());
  EXPECT_TRUE(SameText(held.value->Path(), real.value));
  std::vector<std::string> names;
  ASSERT_TRUE(held.value
                  ->Enumerate([&](const FileEntry& e) {
                    names.push_back(e.name);
                    return true;
                  })
                  .ok());
  EXPECT_EQ(names, NamesOf(List(files(), Path())));

  auto sub = held.value->OpenSubFolder("sub");
  ASSERT_TRUE(sub.ok());
  EXPECT_TRUE(SameText(sub.value->Path(), real.value + "\\Sub"));
  EXPECT_EQ(held.value->OpenSubFolder("a.txt").status.kind, ErrorKind::AccessDenied);
  EXPECT_EQ(held.value->OpenSubFolder("missing").status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().OpenFolder(real.value + "\\missing").status.kind, ErrorKind::NotFound);

  {
    auto writer = sub.value->OpenFileToOverwrite("b.txt");
    ASSERT_TRUE(writer.ok());
    EXPECT_EQ(writer.value->Size().value, 1u);
  }
  {
    auto reader = held.value->OpenListedFile("A.TXT");
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.value->Size(), 3u);
    EXPECT_EQ(held.value->OpenListedFile("Sub").status.kind, ErrorKind::AccessDenied);
    EXPECT_EQ(held.value->OpenListedFile("missing").status.kind, ErrorKind::NotFound);
  }
  EXPECT_TRUE(sub.value->DeleteListedFile("b.txt").ok());
  EXPECT_EQ(sub.value->DeleteListedFile("b.txt").kind, ErrorKind::NotFound);
  EXPECT_EQ(sub.value->DeleteListedFile("Deeper").kind, ErrorKind::AccessDenied);
  EXPECT_TRUE(sub.value->RemoveSubFolder("Deeper").ok());
  sub.value.reset();  // a folder held open is not removed
  EXPECT_EQ(held.value->RemoveSubFolder("a.txt").kind, ErrorKind::AccessDenied);
  EXPECT_TRUE(held.value->RemoveSubFolder("Sub").ok());
  EXPECT_EQ(NamesOf(List(files(), Path())), std::vector<std::string>{"a.txt"});

  // A link is never entered nor written through; removing it takes the link alone.
  SKIP_IF(backend().MakeLink(Path("Link"), Path(), true));
  EXPECT_EQ(held.value->OpenSubFolder("Link").status.kind, ErrorKind::Link);
  EXPECT_EQ(files().OpenFolder(real.value + "\\Link").status.kind, ErrorKind::Link);
  SKIP_IF(backend().MakeLink(Path("link.txt"), Path("a.txt"), false));
  EXPECT_EQ(held.value->OpenFileToOverwrite("link.txt").status.kind, ErrorKind::Link);
  EXPECT_EQ(held.value->OpenListedFile("link.txt").status.kind, ErrorKind::Link);
  EXPECT_TRUE(held.value->RemoveSubFolder("Link").ok());
  EXPECT_TRUE(files().Exists(Path("a.txt")));
}

}  // namespace
}  // namespace morvel::contract
