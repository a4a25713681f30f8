// Overwriting before deletion, and what must not be overwritten.

#include <set>

#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "tests/removal/removal_fixture.h"
#include "tests/removal/spy_files.h"

namespace morvel::removal_test {
namespace {

class OverwriteTest : public RemovalTest {
 protected:
  // The scratch folder, held as a folder action holds the folders it works in.
  std::unique_ptr<platform::FolderHandle> Held(RunContext& run) { return HoldFolder(run, Path()); }

  // The exclusive opens that wrote something: the passes.
  static std::vector<RecordedOpen> Passes(const SpyFiles& spy) {
    std::vector<RecordedOpen> passes;
    for (const RecordedOpen& open : spy.opens)
      if (!open.writes.empty()) passes.push_back(open);
    return passes;
  }
};

TEST_F(OverwriteTest, ThreePassesOfOneByteValueEachOverTheWholeLength) {
  Write("secret.bin", std::string(10000, '\xff'));
  SpyFiles spy(files());
  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  clean->settings.OverwriteFile = true;
  clean->settings.OverwriteNumber = 3;

  EXPECT_EQ(RunAction(*clean, ByMask(Path(), "secret.bin")).items, 1);
  const auto passes = Passes(spy);
  ASSERT_EQ(passes.size(), 3u);
  for (const RecordedOpen& pass : passes) {
    ASSERT_EQ(pass.writes.size(), 3u);
    const std::uint64_t offsets[] = {0, 4096, 8192};
    const std::size_t sizes[] = {4096, 4096, 1808};
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(pass.writes[i].offset, offsets[i]);
      EXPECT_EQ(pass.writes[i].size, sizes[i]);
      EXPECT_TRUE(pass.writes[i].uniform);
      EXPECT_EQ(pass.writes[i].value, pass.writes[0].value);
    }
    EXPECT_GE(pass.writes[0].value, 0);
    EXPECT_LE(pass.writes[0].value, 254);
    EXPECT_EQ(pass.flushes, 1);
  }
  EXPECT_EQ(spy.deleted, std::vector<std::string>{Path("secret.bin")});
  EXPECT_TRUE(Tree().empty());
}

TEST_F(OverwriteTest, APassKeepsTheLengthAndLeavesOneByteValue) {
  // Values drawn over many one-pass wipes: never 255, and not always the same.
  std::set<char> seen;
  for (int i = 0; i < 40; ++i) {
    Write("f.bin", std::string(5000, '\xff'));
    auto clean = MakeRun(RunMode::Clean);
    OverwriteListedFile(*clean, *Held(*clean), "f.bin", Path() + "\\", 1);
    const std::string content = Content("f.bin");
    ASSERT_EQ(content.size(), 5000u);
    ASSERT_EQ(content.find_first_not_of(content[0]), std::string::npos);
    ASSERT_NE(content[0], '\xff');
    seen.insert(content[0]);
  }
  EXPECT_GT(seen.size(), 1u);

  // Test mode and a missing file: nothing happens.
  Write("g.bin", "abc");
  auto test = MakeRun(RunMode::Test);
  test->settings.OverwriteFile = true;
  test->settings.OverwriteNumber = 3;
  EXPECT_EQ(RunAction(*test, ByMask(Path(), "g.bin")).items, 1);
  EXPECT_EQ(Content("g.bin"), "abc");
  auto clean = MakeRun(RunMode::Clean);
  OverwriteListedFile(*clean, *Held(*clean), "missing.bin", Path() + "\\", 3);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"f.bin 5000", "g.bin 3"}));
}

TEST_F(OverwriteTest, LockedFileIsNeitherOverwrittenNorCounted) {
  Write("busy.dat", "original");
  Write("free.dat", "x");
  SKIP_IF_REASON(backend().LockFile(Path("busy.dat")));
  SpyFiles spy(files());
  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  clean->settings.OverwriteFile = true;
  clean->settings.OverwriteNumber = 2;

  const Tally removed = RunAction(*clean, Sweep(Path()));
  EXPECT_EQ(removed.bytes, 1u);
  EXPECT_EQ(removed.items, 1);
  EXPECT_EQ(clean->log, (std::vector<std::string>{"Clean: deleting " + Path("busy.dat"),
                                                  "Clean: deleting " + Path("free.dat")}));
  const auto passes = Passes(spy);
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].path, Path("free.dat"));
  EXPECT_EQ(Tree(), std::vector<std::string>{"busy.dat 8"});
  // A probing Test tells the same of it: it would stay, in use.
  auto test = MakeRun(RunMode::Test);
  EXPECT_EQ(RunAction(*test, Sweep(Path())).left, removed.left);
  EXPECT_EQ(removed.left, (std::vector<LeftEntry>{{Path("busy.dat"), LeftReason::InUse, 1, 8}}));
  backend().UnlockFiles();
  EXPECT_EQ(Content("busy.dat"), "original");
}

TEST_F(OverwriteTest, ReadOnlyFileGoesUnwritten) {
  Write("ro.dat", "read only");
  SKIP_IF_REASON(backend().SetAttributes(Path("ro.dat"), platform::attr::ReadOnly));
  SpyFiles spy(files());
  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  clean->settings.OverwriteFile = true;
  // Read-only is no reason to stay: the shell takes it as it is.
  auto test = MakeRun(RunMode::Test);
  EXPECT_TRUE(RunAction(*test, ByMask(Path(), "ro.dat")).left.empty());
  EXPECT_EQ(RunAction(*clean, ByMask(Path(), "ro.dat")).items, 1);
  EXPECT_TRUE(Passes(spy).empty());
  EXPECT_TRUE(Tree().empty());
}

TEST_F(OverwriteTest, FilesOfTwoGigabytesAreDeletedUnwritten) {
  Write("huge.bin", "small on disk");
  SpyFiles spy(files());
  spy.reported_size = std::uint64_t{1} << 31;
  auto clean = MakeRun(RunMode::Clean);
  clean->files_override = &spy;
  clean->settings.OverwriteFile = true;
  EXPECT_EQ(RunAction(*clean, ByMask(Path(), "huge.bin")).items, 1);
  EXPECT_TRUE(Passes(spy).empty());
  EXPECT_EQ(spy.deleted.size(), 1u);
}

TEST_F(OverwriteTest, PassesOutsideOneToTenCountAsOne) {
  for (const int number : {0, 11, -3}) {
    Write("f.bin", "abc");
    SpyFiles spy(files());
    auto clean = MakeRun(RunMode::Clean);
    clean->files_override = &spy;
    clean->settings.OverwriteFile = true;
    clean->settings.OverwriteNumber = number;
    EXPECT_EQ(RunAction(*clean, ByMask(Path(), "f.bin")).items, 1);
    EXPECT_EQ(Passes(spy).size(), 1u) << number;
  }
}

}  // namespace
}  // namespace morvel::removal_test
