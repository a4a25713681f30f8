// Open files, shell deletion, folder removal and deletion at the next start: the operations
// the cleaners remove files with, the same on every backend.

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "common/text.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using FileRemovalContract = PortContract;

std::span<const std::byte> Bytes(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

std::string Text(std::span<const std::byte> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A text whose every stretch differs from the others, so a read at the wrong offset shows.
std::string Numbered(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += std::to_string(i) + ",";
  text.resize(size);
  return text;
}

TEST_F(FileRemovalContract, ReadingAtOffsets) {
  const std::string content = Numbered(10000);
  ASSERT_TRUE(files().WriteFile(Path("data.bin"), content).ok());
  const auto reader = files().OpenForReading(Path("DATA.bin"));
  ASSERT_TRUE(reader.ok()) << reader.status.system_code;
  EXPECT_EQ(reader.value->Size(), 10000u);

  struct Case {
    std::uint64_t offset;
    std::size_t asked;
    std::size_t expected;
  };
  for (const Case& c :
       {Case{0, 100, 100}, Case{5000, 300, 300}, Case{9950, 100, 50}, Case{9999, 1, 1},
        Case{10000, 10, 0}, Case{1u << 20, 10, 0}, Case{0, 20000, 10000}, Case{123, 0, 0}}) {
    std::vector<std::byte> buffer(c.asked);
    const auto read = reader.value->ReadAt(c.offset, buffer);
    ASSERT_TRUE(read.ok()) << c.offset;
    ASSERT_EQ(read.value, c.expected) << c.offset;
    EXPECT_EQ(Text(std::span(buffer).first(read.value)),
              content.substr(std::min<std::size_t>(c.offset, content.size()), c.expected))
        << c.offset;
  }
}

TEST_F(FileRemovalContract, OpeningWhatIsNoFile) {
  ASSERT_TRUE(files().CreateFolder(Path("folder")).ok());
  EXPECT_EQ(files().OpenForReading(Path("missing")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().OpenExclusive(Path("missing")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().OpenExclusive(Path("missing\\file")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().OpenForReading(Path("folder")).status.kind, ErrorKind::AccessDenied);
  EXPECT_EQ(files().OpenExclusive(Path("folder")).status.kind, ErrorKind::AccessDenied);
  // A failed open still leaves nothing behind.
  EXPECT_FALSE(files().Exists(Path("missing")));
}

TEST_F(FileRemovalContract, OverwriteInPlaceKeepsTheLength) {
  ASSERT_TRUE(files().WriteFile(Path("wipe.dat"), "0123456789").ok());
  {
    auto writer = files().OpenExclusive(Path("wipe.dat"));
    ASSERT_TRUE(writer.ok()) << writer.status.system_code;
    const auto size = writer.value->Size();
    ASSERT_TRUE(size.ok());
    EXPECT_EQ(size.value, 10u);
    EXPECT_TRUE(writer.value->WriteAt(0, Bytes("ab")).ok());
    EXPECT_TRUE(writer.value->WriteAt(8, Bytes("yz")).ok());
    EXPECT_TRUE(writer.value->WriteAt(4, Bytes("")).ok());
    EXPECT_TRUE(writer.value->Flush().ok());
    EXPECT_EQ(writer.value->Size().value, 10u);
    // While it is open exclusively, nobody else may open it.
    EXPECT_EQ(files().OpenExclusive(Path("wipe.dat")).status.kind, ErrorKind::InUse);
  }
  EXPECT_EQ(files().ReadFile(Path("wipe.dat")).value, "ab234567yz");
  // Closed again: free for the next pass.
  EXPECT_TRUE(files().OpenExclusive(Path("wipe.dat")).ok());
}

TEST_F(FileRemovalContract, AFileInUseCanBeReadButNotOpenedExclusivelyNorDeleted) {
  ASSERT_TRUE(files().WriteFile(Path("index.dat"), "in use").ok());
  SKIP_IF(backend().LockFile(Path("index.dat")));

  EXPECT_EQ(files().OpenExclusive(Path("INDEX.DAT")).status.kind, ErrorKind::InUse);
  const auto reader = files().OpenForReading(Path("index.dat"));
  ASSERT_TRUE(reader.ok()) << reader.status.system_code;
  std::vector<std::byte> buffer(16);
  const auto read = reader.value->ReadAt(0, buffer);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(Text(std::span(buffer).first(read.value)), "in use");

  EXPECT_EQ(files().ShellDelete(Path("index.dat")).kind, ErrorKind::InUse);
  EXPECT_TRUE(files().Exists(Path("index.dat")));
}

TEST_F(FileRemovalContract, OpenFilesExcludeEachOtherAsTheirSharingSays) {
  ASSERT_TRUE(files().WriteFile(Path("shared.dat"), "content").ok());
  {
    // A reader shares reading and writing, but not deletion.
    const auto reader = files().OpenForReading(Path("shared.dat"));
    ASSERT_TRUE(reader.ok());
    EXPECT_TRUE(files().OpenForReading(Path("shared.dat")).ok());
    EXPECT_EQ(files().ReadFile(Path("shared.dat")).value, "content");
    EXPECT_EQ(files().OpenExclusive(Path("shared.dat")).status.kind, ErrorKind::InUse);
    EXPECT_FALSE(files().ShellDelete(Path("shared.dat")).ok());
    EXPECT_FALSE(files().WriteFile(Path("shared.dat"), "replaced").ok());
  }
  {
    // An exclusive writer shares nothing.
    const auto writer = files().OpenExclusive(Path("shared.dat"));
    ASSERT_TRUE(writer.ok());
    EXPECT_EQ(files().OpenForReading(Path("shared.dat")).status.kind, ErrorKind::InUse);
    EXPECT_EQ(files().ReadFile(Path("shared.dat")).status.kind, ErrorKind::InUse);
    EXPECT_FALSE(files().ShellDelete(Path("shared.dat")).ok());
  }
  EXPECT_EQ(files().ReadFile(Path("shared.dat")).value, "content");
  EXPECT_TRUE(files().ShellDelete(Path("shared.dat")).ok());
}

TEST_F(FileRemovalContract, AReadOnlyFileCannotBeOpenedForWritingButTheShellDeletesIt) {
  ASSERT_TRUE(files().WriteFile(Path("readonly.txt"), "keep out").ok());
  SKIP_IF(backend().SetAttributes(Path("readonly.txt"), platform::attr::ReadOnly));
  EXPECT_EQ(files().OpenExclusive(Path("readonly.txt")).status.kind, ErrorKind::AccessDenied);
  EXPECT_TRUE(files().OpenForReading(Path("readonly.txt")).ok());
  EXPECT_EQ(files().ReadFile(Path("readonly.txt")).value, "keep out");

  SKIP_IF(backend().ShellKeepsReadOnlyFiles());
  EXPECT_TRUE(files().ShellDelete(Path("readonly.txt")).ok());
  EXPECT_FALSE(files().Exists(Path("readonly.txt")));
}

TEST_F(FileRemovalContract, ShellDeletesHiddenSystemFiles) {
  ASSERT_TRUE(files().WriteFile(Path("desktop.ini"), "x").ok());
  SKIP_IF(backend().SetAttributes(Path("desktop.ini"),
                                  platform::attr::Hidden | platform::attr::System));
  EXPECT_TRUE(files().ShellDelete(Path("desktop.ini")).ok());
  EXPECT_FALSE(files().Exists(Path("desktop.ini")));
}

TEST_F(FileRemovalContract, ShellDeletesAFolderWithEverythingInIt) {
  for (const char* file : {"tree\\a.txt", "tree\\sub\\b.txt", "tree\\sub\\deeper\\c.txt"}) {
    ASSERT_TRUE(files().CreateFolder(Path(file).substr(0, Path(file).rfind('\\'))).ok());
    ASSERT_TRUE(files().WriteFile(Path(file), file).ok());
  }
  ASSERT_TRUE(files().CreateFolder(Path("tree\\empty")).ok());
  ASSERT_TRUE(files().WriteFile(Path("beside.txt"), "stays").ok());

  EXPECT_TRUE(files().ShellDelete(Path("TREE")).ok());
  EXPECT_FALSE(files().Exists(Path("tree")));
  EXPECT_EQ(files().ReadFile(Path("beside.txt")).value, "stays");

  // Win32 takes "/" for "\"; so does the deletion, although the shell itself does not.
  std::string slashed = Path("beside.txt");
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  EXPECT_TRUE(files().ShellDelete(slashed).ok());
  EXPECT_FALSE(files().Exists(Path("beside.txt")));
}

TEST_F(FileRemovalContract, ShellDeleteOfWhatIsNotThere) {
  EXPECT_EQ(files().ShellDelete(Path("missing.txt")).kind, ErrorKind::NotFound);
  EXPECT_EQ(files().ShellDelete(Path("missing\\file.txt")).kind, ErrorKind::NotFound);
  // Wildcards would let the shell delete every file they match.
  ASSERT_TRUE(files().WriteFile(Path("one.txt"), "1").ok());
  EXPECT_FALSE(files().ShellDelete(Path("*.txt")).ok());
  EXPECT_TRUE(files().Exists(Path("one.txt")));
  // Nor may a zero inside a path leave the shorter path before it to be removed.
  using namespace std::string_literals;
  ASSERT_TRUE(files().CreateFolder(Path("keep\\empty")).ok());
  ASSERT_TRUE(files().WriteFile(Path("keep\\kept.txt"), "kept").ok());
  for (const std::string& cut :
       {Path("keep") + "\0\\old"s, Path("keep\\kept.txt") + "\0.bak"s, Path("keep\\empty\0x"s)}) {
    SCOPED_TRACE(::testing::PrintToString(cut));
    EXPECT_FALSE(files().Stat(cut).ok());
    EXPECT_FALSE(files().ShellDelete(cut).ok());
    EXPECT_FALSE(files().RemoveFolder(cut).ok());
    EXPECT_FALSE(files().FinalPath(cut).ok());
  }
  EXPECT_TRUE(files().Exists(Path("keep\\kept.txt")));
  EXPECT_TRUE(files().Exists(Path("keep\\empty")));
}

TEST_F(FileRemovalContract, ShellDeleteRemovesLinksNotWhatTheyLeadTo) {
  ASSERT_TRUE(files().CreateFolder(Path("target")).ok());
  ASSERT_TRUE(files().WriteFile(Path("target\\precious.txt"), "keep").ok());
  ASSERT_TRUE(files().CreateFolder(Path("holder")).ok());
  SKIP_IF(backend().MakeLink(Path("holder\\inner link"), Path("target"), true));
  SKIP_IF(backend().MakeLink(Path("outer link"), Path("target"), true));

  EXPECT_TRUE(files().ShellDelete(Path("outer link")).ok());
  EXPECT_FALSE(files().Exists(Path("outer link")));
  EXPECT_TRUE(files().ShellDelete(Path("holder")).ok());
  EXPECT_FALSE(files().Exists(Path("holder")));
  EXPECT_EQ(files().ReadFile(Path("target\\precious.txt")).value, "keep");
}

TEST_F(FileRemovalContract, RemoveFolderTakesOnlyAnEmptyFolder) {
  ASSERT_TRUE(files().CreateFolder(Path("empty")).ok());
  ASSERT_TRUE(files().CreateFolder(Path("full")).ok());
  ASSERT_TRUE(files().WriteFile(Path("full\\file.txt"), "x").ok());
  ASSERT_TRUE(files().WriteFile(Path("file.txt"), "x").ok());

  EXPECT_TRUE(files().RemoveFolder(Path("EMPTY")).ok());
  EXPECT_FALSE(files().Exists(Path("empty")));

  const platform::Status full = files().RemoveFolder(Path("full"));
  EXPECT_EQ(full.kind, ErrorKind::Other);
  EXPECT_EQ(full.system_code, 145u);  // ERROR_DIR_NOT_EMPTY
  EXPECT_TRUE(files().Exists(Path("full\\file.txt")));

  EXPECT_EQ(files().RemoveFolder(Path("file.txt")).kind, ErrorKind::AccessDenied);
  EXPECT_TRUE(files().Exists(Path("file.txt")));
  EXPECT_EQ(files().RemoveFolder(Path("missing")).kind, ErrorKind::NotFound);
}

TEST_F(FileRemovalContract, RemoveFolderTakesALinkAsTheLink) {
  ASSERT_TRUE(files().CreateFolder(Path("target")).ok());
  ASSERT_TRUE(files().WriteFile(Path("target\\precious.txt"), "keep").ok());
  SKIP_IF(backend().MakeLink(Path("link"), Path("target"), true));

  EXPECT_TRUE(files().RemoveFolder(Path("link")).ok());
  EXPECT_FALSE(files().Exists(Path("link")));
  EXPECT_EQ(files().ReadFile(Path("target\\precious.txt")).value, "keep");
}

// Puts PendingFileRenameOperations back as it was, so that no test file is deleted when
// the machine next starts.
class PendingRenamesGuard {
 public:
  static constexpr std::string_view kKey = R"(SYSTEM\CurrentControlSet\Control\Session Manager)";
  static constexpr std::string_view kName = "PendingFileRenameOperations";

  explicit PendingRenamesGuard(platform::Registry& registry)
      : registry_(registry), before_(registry.ReadValue(kRoot, kKey, kName)) {}
  ~PendingRenamesGuard() {
    if (before_.ok())
      registry_.WriteValue(kRoot, kKey, before_.value);
    else
      registry_.DeleteValue(kRoot, kKey, kName);
  }
  PendingRenamesGuard(const PendingRenamesGuard&) = delete;
  PendingRenamesGuard& operator=(const PendingRenamesGuard&) = delete;

  // The list's bytes before the test, without the zero that ends the list.
  [[nodiscard]] std::vector<std::uint8_t> Before() const {
    std::vector<std::uint8_t> data = before_.value.data;
    if (data.size() >= 2) data.resize(data.size() - 2);
    return data;
  }

 private:
  static constexpr platform::RootKey kRoot = platform::RootKey::LocalMachine;
  platform::Registry& registry_;
  platform::Result<platform::RegistryValue> before_;
};

std::vector<std::uint8_t> Utf16Z(std::string_view ascii) {
  std::vector<std::uint8_t> bytes;
  for (char c : ascii) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

TEST_F(FileRemovalContract, DeleteOnRebootAppendsToPendingFileRenameOperations) {
  ASSERT_TRUE(files().WriteFile(Path("reboot.dat"), "x").ok());
  PendingRenamesGuard guard(registry());
  const std::string path = Path("reboot.dat");
  for (char c : path) ASSERT_GT(static_cast<unsigned char>(c), 0) << "ASCII paths only here";

  ASSERT_TRUE(files().DeleteOnReboot(path).ok());
  const auto after = registry().ReadValue(platform::RootKey::LocalMachine,
                                          PendingRenamesGuard::kKey, PendingRenamesGuard::kName);
  ASSERT_TRUE(after.ok());
  EXPECT_EQ(after.value.type, platform::ValueType::MultiString);
  std::vector<std::uint8_t> expected = guard.Before();
  // The file's NT path, the empty name that means "delete", the zero that ends the list.
  for (const auto& part : {Utf16Z("\\??\\" + path), Utf16Z(""), Utf16Z("")})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(after.value.data, expected);
  // Nothing happens to the file before the next start.
  EXPECT_TRUE(files().Exists(path));

  EXPECT_EQ(files().DeleteOnReboot(Path("missing.dat")).kind, ErrorKind::NotFound);
}

}  // namespace
}  // namespace morvel::contract

namespace morvel::contract {
namespace {

// The real place of a path: every spelling of the same folder, and a link to it, give
// the one name Windows has for it.
TEST_F(FileRemovalContract, FinalPathNamesWhereAPathReallyLeads) {
  ASSERT_TRUE(files().CreateFolder(Path("Target\\Inner")).ok());
  ASSERT_TRUE(files().WriteFile(Path("Target\\file.txt"), "x").ok());
  const auto real = files().FinalPath(Path("Target"));
  ASSERT_TRUE(real.ok());
  EXPECT_TRUE(real.value.ends_with("\\Target")) << real.value;
  EXPECT_EQ(real.value.back() == '\\', false);

  const std::string folder = Path();
  std::string slashes = Path("target");
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  for (const std::string& spelling :
       {Path("TARGET"), Path("Target\\"), Path("Target\\Inner\\.."), Path("Target."),
        Path("Target\\.\\"), slashes, "\\\\?\\" + Path("Target"), "\\\\.\\" + Path("Target")}) {
    SCOPED_TRACE(spelling);
    const auto same = files().FinalPath(spelling);
    ASSERT_TRUE(same.ok()) << platform::ErrorKindName(same.status.kind);
    EXPECT_EQ(same.value, real.value);
  }
  EXPECT_TRUE(files().FinalPath(Path("Target\\file.txt")).value.ends_with("\\Target\\file.txt"));
  EXPECT_EQ(files().FinalPath(Path("missing")).status.kind, ErrorKind::NotFound);

  const std::string drive = folder.substr(0, 2);
  const auto root = files().FinalPath(drive + "\\Windows\\..");
  ASSERT_TRUE(root.ok());
  EXPECT_EQ(root.value, UpperCase(drive) + "\\");

  SKIP_IF(backend().MakeLink(Path("Link"), Path("Target"), true));
  EXPECT_EQ(files().FinalPath(Path("Link")).value, real.value);
  EXPECT_EQ(files().FinalPath(Path("Link\\Inner")).value, real.value + "\\Inner");
}

// Overwriting opens the file itself: never what a link leads to, and it tells how many
// names the file has, so that a file shared with another name is left unwritten.
TEST_F(FileRemovalContract, OpenToOverwriteRefusesLinksAndCountsNames) {
  ASSERT_TRUE(files().WriteFile(Path("document.txt"), "the only copy").ok());
  {
    auto alone = files().OpenToOverwrite(Path("document.txt"));
    ASSERT_TRUE(alone.ok());
    EXPECT_EQ(alone.value->LinkCount().value, 1u);
  }
  SKIP_IF(backend().MakeHardLink(Path("temp.tmp"), Path("document.txt")));
  {
    auto shared = files().OpenToOverwrite(Path("temp.tmp"));
    ASSERT_TRUE(shared.ok());
    EXPECT_EQ(shared.value->LinkCount().value, 2u);
  }
  EXPECT_EQ(files().OpenToOverwrite(Path("missing")).status.kind, ErrorKind::NotFound);
  SKIP_IF(backend().MakeLink(Path("link.txt"), Path("document.txt"), false));
  EXPECT_EQ(files().OpenToOverwrite(Path("link.txt")).status.kind, ErrorKind::Link);
  EXPECT_EQ(files().ReadFile(Path("document.txt")).value, "the only copy");
}

// A name Win32 would rewrite ("notes." opens "notes") is reached by its "\\?\" form alone,
// and only that form deletes it and nothing else.
TEST_F(FileRemovalContract, LiteralNamesReachExactlyTheirOwnFile) {
  ASSERT_TRUE(files().WriteFile(Path("notes"), "plain").ok());
  const std::string literal = "\\\\?\\" + Path("notes.");
  if (!files().WriteFile(literal, "dotted").ok() || files().ReadFile(literal).value != "dotted")
    GTEST_SKIP() << "this file system keeps no names ending in a dot";
  std::vector<std::string> names;
  (void)files().Enumerate(Path(), [&](const platform::FileEntry& entry) {
    names.push_back(entry.name);
    return true;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"notes", "notes."}));
  EXPECT_EQ(files().ReadFile(Path("notes.")).value, "plain");  // Win32's rule
  EXPECT_TRUE(files().ShellDelete(literal).ok());
  EXPECT_FALSE(files().Exists(literal));
  EXPECT_EQ(files().ReadFile(Path("notes")).value, "plain");
}

}  // namespace
}  // namespace morvel::contract
