// The folder action on both backends: what Test counts, what Clean removes, what both
// leave and why, and what neither may touch.

#include <algorithm>

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

TEST_F(CleanFolderTest, TestCountsWhatCleanRemovesAndBothLeaveTheLockedFile) {
  MakeTree();
  if (HasFatalFailure() || IsSkipped()) return;
  const std::vector<std::string> before = Tree();
  // What both leave: the file another program holds, counted by the Test.
  const std::vector<LeftEntry> held = {{Path("a\\locked.dat"), LeftReason::InUse, 1, 4}};

  auto test = MakeRun(RunMode::Test);
  const Tally listed = RunAction(*test, Sweep(Path(), true));
  EXPECT_EQ(listed.bytes, 30u);
  EXPECT_EQ(listed.items, 5);
  EXPECT_EQ(listed.left, held);
  EXPECT_EQ(test->log, DeletingLines("Test: "));
  EXPECT_EQ(test->scrolls, std::vector<int>(5, 50));
  EXPECT_EQ(test->progress, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(test->questions.asked.empty());
  EXPECT_EQ(Tree(), before);

  auto clean = MakeRun(RunMode::Clean);
  const Tally removed = RunAction(*clean, Sweep(Path()));
  EXPECT_EQ(removed.bytes, 26u);
  EXPECT_EQ(removed.items, 4);
  EXPECT_EQ(removed.left, held);
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
  CleanFolder quiet = Sweep(Path("keep"));
  quiet.log = LogClass::Never;
  EXPECT_EQ(RunAction(*clean, quiet).bytes, 1u);
  quiet.where = InFolder(Path("gone"));
  quiet.remove_self = true;
  EXPECT_EQ(RunAction(*clean, quiet).items, 1);
  EXPECT_TRUE(clean->log.empty());  // log flag off
  EXPECT_EQ(Tree(), std::vector<std::string>{"keep\\"});

  // Named with its trailing "\", the folder goes all the same.
  Write("sub\\z.txt", "22");
  EXPECT_EQ(RunAction(*clean, Sweep(Path("sub\\"), true)).bytes, 2u);
  EXPECT_EQ(Tree(), std::vector<std::string>{"keep\\"});
}

TEST_F(CleanFolderTest, KeepNameStaysAtAnyDepthWithItsFolder) {
  Write("index.dat", "1");
  Write("sub\\INDEX.DAT", "22");
  Write("sub\\other.txt", "333");
  Write("sub2\\deep\\Index.Dat", "4444");
  Write("sub3\\x.txt", "5");
  auto clean = MakeRun(RunMode::Clean);
  const Tally removed = RunAction(*clean, Sweep(Path(), false, "index.dat"));
  EXPECT_EQ(removed.bytes, 4u);
  EXPECT_EQ(removed.items, 2);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"index.dat 1", "sub\\", "sub\\INDEX.DAT 2", "sub2\\",
                                              "sub2\\deep\\", "sub2\\deep\\Index.Dat 4"}));
}

TEST_F(CleanFolderTest, FastModeWritesNoLinesButCounts) {
  Write("a.txt", "1");
  Write("d\\b.txt", "22");
  auto clean = MakeRun(RunMode::Clean);
  clean->settings.FastScan = true;
  const Tally removed = RunAction(*clean, Sweep(Path()));
  EXPECT_EQ(removed.bytes, 3u);
  EXPECT_EQ(removed.items, 2);
  EXPECT_TRUE(clean->log.empty());
  EXPECT_TRUE(clean->scrolls.empty());
  EXPECT_TRUE(Tree().empty());
  // A run started fast (the preparation pass) writes none either, whatever Fast Mode says.
  Write("b.txt", "1");
  auto fast = MakeRun(RunMode::Test);
  fast->fast = true;
  EXPECT_EQ(RunAction(*fast, Sweep(Path())).items, 1);
  EXPECT_TRUE(fast->log.empty());
}

TEST_F(CleanFolderTest, StopRequestEndsWithinOneFile) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d\\e.txt"}) Write(name, "1");
  auto clean = MakeRun(RunMode::Clean);
  clean->stop_after_lines = 2;
  EXPECT_EQ(RunAction(*clean, Sweep(Path(), true)).items, 2);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"c.txt 1", "d\\", "d\\e.txt 1"}));
  // A run already stopped does nothing at all.
  EXPECT_EQ(RunAction(*clean, Sweep(Path(), true)).bytes, 0u);
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
    EXPECT_EQ(RunAction(*test, Sweep(folder, true)), Tally{}) << folder;
    EXPECT_EQ(RunAction(*test, ByMask(folder, "*", true)), Tally{}) << folder;
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
  EXPECT_EQ(RunAction(*test, Sweep(Path("cleaned"), true)).bytes, 1u);
  EXPECT_EQ(RunAction(*test, ByMask(Path("cleaned"), "*", true)).items, 1);

  auto clean = MakeRun(RunMode::Clean);
  EXPECT_EQ(RunAction(*clean, Sweep(Path("cleaned"), true)).bytes, 1u);
  EXPECT_EQ(RunAction(*clean, ByMask(Path("cleaned"), "*", true)), Tally{});
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
  const Tally listed = RunAction(*test, Sweep(Path("inside"), true));
  EXPECT_EQ(listed.bytes, 1u);
  EXPECT_EQ(listed.items, 1);

  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  EXPECT_EQ(RunAction(*clean, Sweep(Path("inside"))).bytes, 1u);
  EXPECT_EQ(RunAction(*clean, ByMask(Path("inside"), "*", true)), Tally{});
  EXPECT_EQ(spy.deleted, std::vector<std::string>{Path("inside\\real.txt")});
  EXPECT_TRUE(spy.removed_folders.empty());
  EXPECT_EQ(Content("victim.txt"), "precious");
}

}  // namespace
}  // namespace morvel::removal_test
