// CleanFolder and CleanSubFolder on both backends: what Test counts, what Clean removes,
// and what neither may touch.

#include <algorithm>

#include "engine/file_removal.h"
#include "tests/removal/removal_fixture.h"
#include "tests/removal/spy_files.h"

namespace morvel::removal_test {
namespace {

using platform::attr::Hidden;
using platform::attr::ReadOnly;
using platform::attr::System;

class CleanFolderTest : public RemovalTest {
 protected:
  // 5 files, 30 bytes; a\locked.dat (4 bytes) is held open by another program.
  void MakeTree() {
    Write("top.txt", "12345");
    Write("a\\one.bin", "1234567890");
    Write("a\\b\\two.log", "xy");
    Write("a\\locked.dat", "LOCK");
    Write("ro.txt", "read only");
    ASSERT_TRUE(files().CreateFolder(Path("c")).ok());
    // Hidden and system alone where read-only cannot be had.
    if (backend().SetAttributes(Path("ro.txt"), ReadOnly | Hidden | System))
      SKIP_IF_REASON(backend().SetAttributes(Path("ro.txt"), Hidden | System));
    SKIP_IF_REASON(backend().LockFile(Path("a\\locked.dat")));
  }

  std::vector<std::string> DeletingLines(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const char* sub : {"a\\b\\two.log", "a\\locked.dat", "a\\one.bin", "ro.txt", "top.txt"})
      lines.push_back(prefix + "deleting " + Path(sub));
    return lines;
  }
};

TEST_F(CleanFolderTest, TestCountsWhatCleanRemovesAndChangesNothing) {
  MakeTree();
  if (HasFatalFailure() || IsSkipped()) return;
  const std::vector<std::string> before = Tree();

  auto test = MakeRun(RunMode::Test);
  EXPECT_EQ(CleanFolder(*test, Path(), true, true, "", test->item_count), 30u);
  EXPECT_EQ(test->item_count, 5);
  EXPECT_EQ(test->log, DeletingLines("Test: "));
  EXPECT_EQ(test->scrolls, std::vector<int>(5, 50));
  EXPECT_EQ(test->progress_reports, 5);
  EXPECT_TRUE(test->questions.asked.empty());
  EXPECT_EQ(Tree(), before);

  auto clean = MakeRun(RunMode::Clean);
  EXPECT_EQ(CleanFolder(*clean, Path(), false, true, "", clean->item_count), 26u);
  EXPECT_EQ(clean->item_count, 4);
  // The locked file is logged all the same.
  EXPECT_EQ(clean->log, DeletingLines("Clean: "));
  EXPECT_TRUE(clean->questions.asked.empty());
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a\\", "a\\locked.dat 4"}));
  backend().UnlockFiles();  // nobody may even read it meanwhile
  EXPECT_EQ(Content("a\\locked.dat"), "LOCK");
}

TEST_F(CleanFolderTest, RemovesTheFolderItselfOnlyWhenAsked) {
  Write("keep\\x\\y.txt", "1");
  Write("gone\\x\\y.txt", "1");
  auto clean = MakeRun(RunMode::Clean);
  EXPECT_EQ(CleanFolder(*clean, Path("keep"), false, false, "", clean->item_count), 1u);
  EXPECT_EQ(CleanFolder(*clean, Path("gone"), true, false, "", clean->item_count), 1u);
  EXPECT_EQ(clean->item_count, 2);
  EXPECT_TRUE(clean->log.empty());  // log flag off
  EXPECT_EQ(Tree(), std::vector<std::string>{"keep\\"});

  // The recursive step removes its folder whatever the caller wanted of the top.
  Write("sub\\z.txt", "22");
  EXPECT_EQ(CleanSubFolder(*clean, Path("sub\\"), clean->item_count, true, ""), 2u);
  EXPECT_EQ(Tree(), std::vector<std::string>{"keep\\"});
}

TEST_F(CleanFolderTest, KeepNameStaysAtAnyDepthWithItsFolder) {
  Write("index.dat", "1");
  Write("sub\\INDEX.DAT", "22");
  Write("sub\\other.txt", "333");
  Write("sub2\\deep\\Index.Dat", "4444");
  Write("sub3\\x.txt", "5");
  auto clean = MakeRun(RunMode::Clean);
  EXPECT_EQ(CleanFolder(*clean, Path(), false, true, "index.dat", clean->item_count), 4u);
  EXPECT_EQ(clean->item_count, 2);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"index.dat 1", "sub\\", "sub\\INDEX.DAT 2", "sub2\\",
                                              "sub2\\deep\\", "sub2\\deep\\Index.Dat 4"}));
}

TEST_F(CleanFolderTest, FastModeWritesNoLinesButCounts) {
  Write("a.txt", "1");
  Write("d\\b.txt", "22");
  auto clean = MakeRun(RunMode::Clean);
  clean->settings.FastScan = true;
  EXPECT_EQ(CleanFolder(*clean, Path(), false, true, "", clean->item_count), 3u);
  EXPECT_EQ(clean->item_count, 2);
  EXPECT_TRUE(clean->log.empty());
  EXPECT_TRUE(clean->scrolls.empty());
  EXPECT_TRUE(Tree().empty());
}

TEST_F(CleanFolderTest, StopRequestEndsWithinOneFile) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d\\e.txt"}) Write(name, "1");
  auto clean = MakeRun(RunMode::Clean);
  clean->stop_after_lines = 2;
  CleanFolder(*clean, Path(), true, true, "", clean->item_count);
  EXPECT_EQ(clean->item_count, 2);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"c.txt 1", "d\\", "d\\e.txt 1"}));
  // A run already stopped does nothing at all.
  EXPECT_EQ(CleanFolder(*clean, Path(), true, true, "", clean->item_count), 0u);
  EXPECT_EQ(clean->log.size(), 2u);
}

TEST_F(CleanFolderTest, PathsThatNameNoFolderAreNeverScanned) {
  Write("file.txt", "1");
  // Anything but an absolute folder: the root of the current drive, relative paths, a
  // file, a missing folder.
  for (const std::string& folder :
       {std::string("\\"), std::string(), std::string("Temp"), std::string("\\Windows"),
        std::string("Temp\\"), Path("file.txt"), Path("missing")}) {
    auto test = MakeRun(RunMode::Test);
    EXPECT_EQ(CleanFolder(*test, folder, true, true, "", test->item_count), 0u) << folder;
    EXPECT_EQ(CleanSubFolder(*test, folder, test->item_count, true, ""), 0u) << folder;
    EXPECT_EQ(CleanFolderByMask(*test, folder, "*", test->item_count, true), 0u) << folder;
    EXPECT_EQ(test->item_count, 0) << folder;
    EXPECT_TRUE(test->log.empty()) << folder;
    EXPECT_TRUE(test->questions.asked.empty()) << folder;
  }
}

TEST_F(CleanFolderTest, LinksAreNeitherFollowedNorRemoved) {
  Write("outside\\keep.txt", "precious");
  Write("outside\\deep\\keep2.txt", "precious");
  Write("cleaned\\file.txt", "1");
  SKIP_IF_REASON(backend().MakeLink(Path("cleaned\\link"), Path("outside"), true));

  auto test = MakeRun(RunMode::Test);
  EXPECT_EQ(CleanFolder(*test, Path("cleaned"), true, true, "", test->item_count), 1u);
  EXPECT_EQ(CleanFolderByMask(*test, Path("cleaned"), "*", test->item_count, true), 1u);
  EXPECT_EQ(test->item_count, 2);

  auto clean = MakeRun(RunMode::Clean);
  EXPECT_EQ(CleanFolder(*clean, Path("cleaned"), true, true, "", clean->item_count), 1u);
  EXPECT_EQ(CleanFolderByMask(*clean, Path("cleaned"), "*", clean->item_count, true), 0u);
  EXPECT_EQ(clean->item_count, 1);
  EXPECT_EQ(Tree(),
            (std::vector<std::string>{"cleaned\\", "cleaned\\link@", "outside\\", "outside\\deep\\",
                                      "outside\\deep\\keep2.txt 8", "outside\\keep.txt 8"}));
}

TEST_F(CleanFolderTest, NamesThatLeadOutOfTheFolderAreSkipped) {
  Write("inside\\real.txt", "1");
  Write("victim.txt", "precious");
  SpyFiles spy(files());
  using platform::attr::Archive;
  using platform::attr::Directory;
  for (const char* name : {"..", ".", "", "..\\victim.txt", "../victim.txt", "C:victim.txt"})
    spy.extra_entries.push_back({name, Archive, 8, 0});
  spy.extra_entries.push_back({"..", Directory, 0, 0});
  spy.extra_entries.push_back({"..\\", Directory, 0, 0});

  auto test = MakeRun(RunMode::Test);
  test->files_override = &spy;
  EXPECT_EQ(CleanFolder(*test, Path("inside"), true, true, "", test->item_count), 1u);
  EXPECT_EQ(test->item_count, 1);

  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  EXPECT_EQ(CleanFolder(*clean, Path("inside"), false, true, "", clean->item_count), 1u);
  EXPECT_EQ(CleanFolderByMask(*clean, Path("inside"), "*", clean->item_count, true), 0u);
  EXPECT_EQ(spy.deleted, std::vector<std::string>{Path("inside\\real.txt")});
  EXPECT_TRUE(spy.removed_folders.empty());
  EXPECT_EQ(Content("victim.txt"), "precious");
}

}  // namespace
}  // namespace morvel::removal_test
