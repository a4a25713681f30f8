// The folder action by mask on both backends.

#include <algorithm>

#include "tests/removal/removal_fixture.h"

namespace morvel::removal_test {
namespace {

class MaskScanTest : public RemovalTest {};

struct MaskScanCase {
  const char* mask;
  bool recurse;
  std::vector<std::string> left;
};

TEST_F(MaskScanTest, RemovesMatchingFilesAndNoFolder) {
  // Names differing in case only live in different folders: the file systems ignore case.
  const char* const tree[] = {"memory.dmp", "FILE0000.CHK",  "file0001.chk", "FILE0000.CHK.BAK",
                              "README",     "m\\MEMORY.DMP", "m\\mini.dmp"};
  const MaskScanCase cases[] = {
      {"memory.dmp",
       true,
       {"FILE0000.CHK 1", "file0001.chk 1", "FILE0000.CHK.BAK 1", "m\\", "m\\MEMORY.DMP 1",
        "m\\mini.dmp 1", "README 1"}},
      {"File*.chk",
       false,
       {"FILE0000.CHK.BAK 1", "m\\", "m\\MEMORY.DMP 1", "m\\mini.dmp 1", "memory.dmp 1",
        "README 1"}},
      {"*.dmp",
       false,
       {"FILE0000.CHK 1", "file0001.chk 1", "FILE0000.CHK.BAK 1", "m\\", "m\\MEMORY.DMP 1",
        "m\\mini.dmp 1", "README 1"}},
      {"*.dmp",
       true,
       {"FILE0000.CHK 1", "file0001.chk 1", "FILE0000.CHK.BAK 1", "m\\", "README 1"}},
      {"*.*", false, {"m\\", "m\\MEMORY.DMP 1", "m\\mini.dmp 1"}},
      {"*", true, {"m\\"}},
  };
  int row = 0;
  for (const MaskScanCase& c : cases) {
    const std::string folder = "row" + std::to_string(row++);
    for (const char* name : tree) Write(folder + "\\" + name, "x");
    const std::size_t files_before = Tree(folder).size() - 1;  // less the folder "m"

    auto test = MakeRun(RunMode::Test);
    const Tally counted = RunAction(*test, ByMask(Path(folder), c.mask, c.recurse));
    auto clean = MakeRun(RunMode::Clean);
    const Tally removed = RunAction(*clean, ByMask(Path(folder), c.mask, c.recurse));

    std::vector<std::string> left = Tree(folder);
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = c.left;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected) << c.mask << (c.recurse ? " recursive" : "");
    const auto gone = static_cast<std::int32_t>(files_before - (expected.size() - 1));
    EXPECT_EQ(removed.items, gone) << c.mask;
    EXPECT_EQ(removed.bytes, static_cast<std::uint64_t>(gone)) << c.mask;
    EXPECT_EQ(counted, removed) << c.mask;
    // The mask scan always logs.
    EXPECT_EQ(clean->log.size(), static_cast<std::size_t>(gone)) << c.mask;
  }
}

}  // namespace
}  // namespace morvel::removal_test
