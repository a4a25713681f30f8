// What the Windows cleaners ask of the machine: its system, temporary and Recent folders,
// drive types, the clipboard and the recycle bins.

#include <cstdint>
#include <optional>
#include <string>

#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::DriveType;
using SystemCleanerContract = PortContract;

TEST_F(SystemCleanerContract, SystemTempAndRecentFoldersExist) {
  struct Case {
    const char* what;
    std::string path;
    bool trailing_backslash;
  };
  platform::SystemInfo& system = backend().system();
  for (const Case& c :
       {Case{"System", system.SystemFolder(), false}, Case{"Temp", system.TempFolder(), true},
        Case{"Recent", system.SpecialFolderPath(platform::SpecialFolder::Recent), false}}) {
    ASSERT_GE(c.path.size(), 4u) << c.what << ": " << c.path;
    EXPECT_EQ(c.path.substr(1, 2), ":\\") << c.what << ": " << c.path;
    EXPECT_EQ(c.path.back() == '\\', c.trailing_backslash) << c.what << ": " << c.path;
    EXPECT_EQ(c.path.find("\\\\"), std::string::npos) << c.what << ": " << c.path;
    const std::string folder = c.trailing_backslash ? c.path.substr(0, c.path.size() - 1) : c.path;
    const auto stat = files().Stat(folder);
    ASSERT_TRUE(stat.ok()) << c.what << ": " << c.path;
    EXPECT_TRUE(stat.value.IsFolder()) << c.what << ": " << c.path;
  }
  // GetTempPath into 254 characters: the path and its terminating zero fit.
  EXPECT_LT(system.TempFolder().size(), 254u);
}

// A temp path cut short would name some other folder for the cleaner to empty.
TEST_F(SystemCleanerContract, ATempFolderThatDoesNotFitTheBufferIsNone) {
  struct Case {
    std::size_t length;  // with the trailing "\"
    bool fits;
  };
  ASSERT_LT(Path().size(), 240u);
  for (const Case c : {Case{252, true}, Case{253, true}, Case{254, false}, Case{300, false}}) {
    const std::string folder = Path() + "\\" + std::string(c.length - Path().size() - 2, 't');
    SKIP_IF(backend().SetTempFolder(folder));
    EXPECT_EQ(backend().system().TempFolder(), c.fits ? folder + "\\" : "") << c.length;
  }
}

TEST_F(SystemCleanerContract, DriveTypesFollowTheDrivesRoots) {
  platform::SystemInfo& system = backend().system();
  const char system_drive = system.SystemFolder().at(0);
  EXPECT_EQ(system.DriveTypeOf(system_drive), DriveType::Fixed);
  EXPECT_EQ(system.DriveTypeOf(static_cast<char>(system_drive | 0x20)), DriveType::Fixed);

  int missing = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const bool has_root = files().Exists(std::string(1, letter) + ":\\");
    const DriveType type = system.DriveTypeOf(letter);
    if (has_root) {
      EXPECT_NE(type, DriveType::NoRootDir) << letter;
    } else if (type != DriveType::NoRootDir) {
      // A card reader or a CD drive without its medium has no root to see.
      EXPECT_TRUE(type == DriveType::Removable || type == DriveType::CdRom) << letter;
    } else {
      ++missing;
    }
  }
  EXPECT_GT(missing, 0) << "every letter has a drive: nothing tells a missing one";

  // Never a root such as "\:\" or ":\", which could name the current drive.
  for (const char not_a_letter : {'\0', '1', '*', ':', '\\', '[', '`', '\xC4'})
    EXPECT_EQ(system.DriveTypeOf(not_a_letter), DriveType::NoRootDir)
        << static_cast<int>(not_a_letter);
}

TEST_F(SystemCleanerContract, EmptyingTheClipboardLeavesItEmpty) {
  SKIP_IF(backend().PutClipboardText("Morvel contract test"));
  const auto holds = backend().ClipboardHoldsData();
  if (!holds) GTEST_SKIP() << "this backend cannot tell what the clipboard holds";
  EXPECT_TRUE(*holds);

  EXPECT_TRUE(backend().windows().EmptyClipboard());
  EXPECT_EQ(backend().ClipboardHoldsData(), false);
  // An empty clipboard empties again without complaint.
  EXPECT_TRUE(backend().windows().EmptyClipboard());
  EXPECT_EQ(backend().ClipboardHoldsData(), false);
}

TEST_F(SystemCleanerContract, AClipboardOpenElsewhereIsAFailureNotAnEmptiedClipboard) {
  SKIP_IF(backend().PutClipboardText("still here"));
  SKIP_IF(backend().HoldClipboardOpen());
  const platform::Status status = backend().windows().EmptyClipboard();
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.kind, platform::ErrorKind::Other);
  EXPECT_NE(backend().ClipboardHoldsData(), std::optional<bool>(false));
}

class RecycleBinContract : public PortContract {
 protected:
  void SetUp() override {
    PortContract::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    SKIP_IF(backend().RecycleBinsNotPrivate());
    drive_ = Path().at(0);
    ASSERT_TRUE(files().EmptyRecycleBins());
    ExpectBin(0, 0);
  }

  void ExpectBin(std::int64_t items, std::int64_t bytes, char drive = 0) {
    const auto contents = files().QueryRecycleBin(drive ? drive : drive_);
    ASSERT_TRUE(contents.ok()) << ErrorKindName(contents.status.kind);
    EXPECT_EQ(contents.value.items, items);
    EXPECT_EQ(contents.value.bytes, bytes);
  }

  char drive_ = 0;
};

TEST_F(RecycleBinContract, DeletedFilesAreCountedOnTheirDriveAndEmptied) {
  ASSERT_TRUE(files().WriteFile(Path("deleted.txt"), std::string(1000, 'x')));
  ASSERT_TRUE(files().WriteFile(Path("deleted.log"), std::string(24, 'y')));
  SKIP_IF(backend().MoveToRecycleBin(Path("deleted.txt")));
  SKIP_IF(backend().MoveToRecycleBin(Path("deleted.log")));
  EXPECT_FALSE(files().Exists(Path("deleted.txt")));
  ExpectBin(2, 1024);
  ExpectBin(2, 1024, static_cast<char>(drive_ | 0x20));

  // Not a drive: never the shell's "every drive" of an empty root.
  for (const char not_a_letter : {'\0', '1', '?'}) {
    const auto contents = files().QueryRecycleBin(not_a_letter);
    ASSERT_TRUE(contents.ok()) << static_cast<int>(not_a_letter);
    EXPECT_EQ(contents.value.items, 0) << static_cast<int>(not_a_letter);
  }

  EXPECT_TRUE(files().EmptyRecycleBins());
  ExpectBin(0, 0);
  // Windows answers differently for a bin that was empty already; that is no failure.
  EXPECT_TRUE(files().EmptyRecycleBins());
}

TEST_F(RecycleBinContract, ADeletedFolderIsOneItemWithTheBytesOfItsFiles) {
  SKIP_IF(backend().RecycleBinFoldersUnsupported());
  ASSERT_TRUE(files().CreateFolder(Path("deleted folder\\inner")));
  ASSERT_TRUE(files().WriteFile(Path("deleted folder\\a.txt"), std::string(20, 'a')));
  ASSERT_TRUE(files().WriteFile(Path("deleted folder\\inner\\b.txt"), std::string(4, 'b')));
  SKIP_IF(backend().MoveToRecycleBin(Path("deleted folder")));
  ExpectBin(1, 24);
  EXPECT_TRUE(files().EmptyRecycleBins());
  ExpectBin(0, 0);
}

}  // namespace
}  // namespace morvel::contract
