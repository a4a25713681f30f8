// The index.dat wipe on files in memory: which bytes become the fill byte, which stay, and
// that damaged chains end the wipe without a write outside the file.

#include "stores/index_dat_wipe.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "stores/index_dat_reader.h"
#include "stores/memory_file_reader.h"
#include "tests/stores/index_dat_builder.h"

namespace morvel {
namespace {

using testing::IndexDatBuilder;
using Range = std::pair<std::size_t, std::size_t>;  // [from, to)

constexpr char kFill = '\xAB';

// A file whose every byte outside header and tables is 0x11, so wiped bytes show.
IndexDatBuilder Patterned(std::size_t size, std::int32_t first, std::int32_t recorded = -1) {
  IndexDatBuilder file(size, first);
  file.bytes.assign(size, '\x11');
  file.Int32(28, recorded < 0 ? static_cast<std::int32_t>(size) : recorded).Int32(32, first);
  return file;
}

struct Case {
  const char* name;
  IndexDatBuilder file;
  std::vector<Range> wiped;
};

TEST(IndexDatWipe, OverwritesEachTableAfterItsHeaderUpToTheNextAndNothingElse) {
  const Case cases[] = {
      {"two tables",
       Patterned(0x4000, 0x100).Table(0x100, 1, 0x2000).Table(0x2000, 1),
       {{0x120, 0x2000}, {0x2020, 0x4000}}},
      {"a chain back to the first table",
       Patterned(0x4000, 0x100).Table(0x100, 1, 0x2000).Table(0x2000, 1, 0x100),
       {{0x120, 0x2000}}},
      {"a next table past the recorded size",
       Patterned(0x4000, 0x100).Table(0x100, 1, 0x8000),
       {{0x120, 0x4000}}},
      {"a table without HASH",
       Patterned(0x4000, 0x100).Table(0x100, 1, 0x2000).Bytes(0x2000, "JUNK"),
       {{0x120, 0x2000}}},
      {"a recorded size beyond the file",
       Patterned(0x4000, 0x100, 0x10000).Table(0x100, 1),
       {{0x120, 0x4000}}},
      {"a table within a block of the end keeps its header",
       Patterned(0x4000, 0x100).Table(0x100, 1, 0x3800).Table(0x3800, 1),
       {{0x120, 0x3800}, {0x3820, 0x4000}}},
      {"a first table beyond the recorded size",
       Patterned(0x4000, 0x100, 0x80).Table(0x100, 1),
       {}},
      {"no first table", Patterned(0x4000, 0), {}},
      {"a table cut by the end of the file", Patterned(0x104, 0x100).Bytes(0x100, "HASH"), {}},
      {"a header cut short", IndexDatBuilder(0x4000, 0x100).Table(0x100, 1), {}},
  };
  for (Case c : cases) {
    if (std::string(c.name) == "a header cut short") c.file.bytes.resize(30);
    const std::string before = c.file.bytes;
    const MemoryFileReader in(before);
    std::string after = before;
    MemoryFileWriter out(after);
    EXPECT_TRUE(WipeIndexDatPass(in, out, static_cast<std::uint8_t>(kFill))) << c.name;
    ASSERT_EQ(after.size(), before.size()) << c.name;
    for (std::size_t at = 0; at < before.size(); ++at) {
      bool in_range = false;
      for (const auto& [from, to] : c.wiped) in_range = in_range || (at >= from && at < to);
      ASSERT_EQ(after[at], in_range ? kFill : before[at]) << c.name << " at 0x" << std::hex << at;
    }
  }
}

TEST(IndexDatWipe, AWipedIndexListsNoUrlAndAFailedWriteEndsThePass) {
  IndexDatBuilder file(0x4000, 0x100);
  file.Table(0x100, 1).Entry(0x100, 0, 0x800).UrlRecord(0x800, "http://example.com/", 1);
  const std::string before = file.bytes;
  std::string after = before;
  MemoryFileWriter out(after);
  ASSERT_TRUE(WipeIndexDatPass(MemoryFileReader(before), out, 0));
  IndexDatRows rows;
  ReadIndexDat(MemoryFileReader(after), 0, rows, nullptr);
  EXPECT_TRUE(rows.empty());

  std::string failing = before;
  MemoryFileWriter refusing(failing);
  refusing.max_writes = 0;
  EXPECT_FALSE(WipeIndexDatPass(MemoryFileReader(before), refusing, 0));
  EXPECT_EQ(failing, before);
}

TEST(IndexDatWipe, PassesFollowTheOverwriteSettingsFromOneToThree) {
  const struct {
    bool overwrite;
    int number;
    int passes;
  } cases[] = {{false, 7, 1}, {true, 0, 1}, {true, 1, 1},
               {true, 2, 2},  {true, 3, 3}, {true, 10, 3}};
  for (const auto& c : cases)
    EXPECT_EQ(IndexDatWipePasses(c.overwrite, c.number), c.passes) << c.overwrite << c.number;
}

}  // namespace
}  // namespace morvel
