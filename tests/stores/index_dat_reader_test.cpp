#include "stores/index_dat_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "stores/index_dat_wipe.h"
#include "stores/memory_file_reader.h"
#include "tests/stores/allocation_meter.h"
#include "tests/stores/index_dat_builder.h"
#include "tests/stores/sparse_file.h"

namespace morvel {
namespace {

using testing::IndexDatBuilder;

// What any read may hold besides twice the bytes it read.
constexpr std::uint64_t kMemoryFloor = std::uint64_t{64} << 20;

struct Row {
  std::string url;
  std::string time;
  bool operator==(const Row&) const = default;
};

class Recorder final : public IndexDatProgress {
 public:
  void MoveTo(int percent) override { moves.push_back(percent); }
  bool BeforeEntry() override { return ++entries <= stop_after; }
  bool Working() override {
    if (entries == 0) ++working_before_entries;
    return ++working <= stop_working_after;
  }
  std::vector<int> moves;
  int entries = 0;
  int stop_after = 1 << 30;
  int working = 0;
  int working_before_entries = 0;
  int stop_working_after = 1 << 30;
};

std::string TimeAsNumber(std::uint64_t filetime) { return std::to_string(filetime); }

std::vector<Row> Read(const std::string& bytes, Recorder* progress = nullptr, int image_index = 0) {
  MemoryFileReader file(bytes);
  IndexDatRows found;
  ReadIndexDat(file, image_index, found, progress);
  std::vector<Row> rows;
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found.ImageIndex(i), image_index);
    rows.push_back({std::string(found.Url(i)), TimeAsNumber(found.FileTime(i))});
  }
  return rows;
}

TEST(IndexDatReader, ListsUrlLeakAndRedirectRecordsInEntryOrderAndSkipsTheRest) {
  IndexDatBuilder f(0x2000, 0x100);
  f.Table(0x100, 1);  // 14 entries
  f.UrlRecord(0x800, "http://a.example/", 111);
  f.UrlRecord(0x900, "http://leak.example/", 222, "LEAK");
  f.RedirectRecord(0xA00, "http://redirect.example/", 333);
  f.UrlRecord(0xB00, "http://empty-state-1/", 1);
  f.UrlRecord(0xC00, "http://empty-state-3/", 3);
  f.UrlRecord(0xD00, "no text offset", 4, "URL ", 0);
  f.UrlRecord(0xE00, "", 5);
  f.UrlRecord(0xF00, "http://other-signature/", 6, "url ");
  f.UrlRecord(0x1000, "http://short-signature/", 7, std::string("URL\0", 4));
  f.Entry(0x100, 0, 0x800)
      .Entry(0x100, 1, 0xB00, 1)
      .Entry(0x100, 2, 0xC00, 3)
      .Entry(0x100, 3, 0xA00)
      .Entry(0x100, 4, 0xD00)
      .Entry(0x100, 5, 0xE00)
      .Entry(0x100, 6, 0xF00)
      .Entry(0x100, 7, -8)      // negative record offset
      .Entry(0x100, 8, 0x2000)  // at the header's file size
      .Entry(0x100, 9, 0x1000)
      .Entry(0x100, 10, 0x40)    // zeros: no signature
      .Entry(0x100, 13, 0x900);  // the last of the 14
  f.Entry(0x100, 14, 0x800);     // one past the table: never read
  EXPECT_EQ(Read(f.bytes, nullptr, 4), (std::vector<Row>{{"http://a.example/", "111"},
                                                         {"http://redirect.example/", "333"},
                                                         {"http://leak.example/", "222"}}));
}

TEST(IndexDatReader, FollowsTheTableChain) {
  IndexDatBuilder f(0x3000, 0x100);
  f.Table(0x100, 1, 0x400).Entry(0x100, 0, 0x1000);
  f.Table(0x400, 0, 0x500);   // no entries: the walk goes on
  f.Table(0x500, -3, 0x600);  // negative count: likewise
  f.Table(0x600, 2, 0);       // 30 entries
  f.Entry(0x600, 29, 0x1100);
  f.UrlRecord(0x1000, "first", 1).UrlRecord(0x1100, "last", 2);
  EXPECT_EQ(Read(f.bytes), (std::vector<Row>{{"first", "1"}, {"last", "2"}}));
}

TEST(IndexDatReader, EndsTheWalkQuietlyAtABadTable) {
  struct Case {
    const char* what;
    std::int32_t next;
  };
  for (const Case& c : {Case{"zero", 0}, Case{"negative", -0x100}, Case{"past the size", 0x3001},
                        Case{"not HASH", 0x800}}) {
    IndexDatBuilder f(0x3000, 0x100);
    f.Table(0x100, 1, c.next).Entry(0x100, 0, 0x1000).UrlRecord(0x1000, "kept", 1);
    f.Bytes(0x800, "HASX").Int32(0x804, 1).Entry(0x800, 0, 0x1100).UrlRecord(0x1100, "no", 2);
    EXPECT_EQ(Read(f.bytes), (std::vector<Row>{{"kept", "1"}})) << c.what;
  }
  IndexDatBuilder none(0x1000, 0);
  none.Table(0x100, 1).Entry(0x100, 0, 0x800).UrlRecord(0x800, "unreached", 1);
  Recorder progress;
  EXPECT_TRUE(Read(none.bytes, &progress).empty());
  EXPECT_EQ(progress.moves, std::vector<int>{100});
}

TEST(IndexDatReader, ChainsThatComeBackEndAtTheFirstRepeat) {
  IndexDatBuilder self(0x2000, 0x100);
  self.Table(0x100, 1, 0x100).Entry(0x100, 0, 0x800).UrlRecord(0x800, "once", 1);
  Recorder progress;
  EXPECT_EQ(Read(self.bytes, &progress), (std::vector<Row>{{"once", "1"}}));
  EXPECT_EQ(progress.moves.back(), 100);

  IndexDatBuilder pair(0x2000, 0x100);
  pair.Table(0x100, 1, 0x400).Entry(0x100, 0, 0x800).UrlRecord(0x800, "a", 1);
  pair.Table(0x400, 1, 0x100).Entry(0x400, 0, 0x900).UrlRecord(0x900, "b", 2);
  EXPECT_EQ(Read(pair.bytes), (std::vector<Row>{{"a", "1"}, {"b", "2"}}));
}

TEST(IndexDatReader, NeverReadsOutsideTheFile) {
  // The header claims more than the file holds; the table's count runs far past its end.
  IndexDatBuilder big(0x1000, 0x100);
  big.Int32(28, 0x7FFFFFFF).Table(0x100, 0x7FFFFFFF).Entry(0x100, 0, 0x800);
  big.UrlRecord(0x800, "inside", 1).Entry(0x100, 1, 0x5000).Entry(0x100, 2, 0xFF8);
  big.Bytes(0xFF8, "URL ");  // a record cut by the end of the file
  EXPECT_EQ(Read(big.bytes), (std::vector<Row>{{"inside", "1"}}));

  // Text without a terminating zero ends at the end of the file.
  IndexDatBuilder tail(0x900, 0x100);
  tail.Table(0x100, 1).Entry(0x100, 0, 0x800).UrlRecord(0x800, "", 7);
  tail.bytes.resize(0x868);
  tail.bytes += "http://cut";
  EXPECT_EQ(Read(tail.bytes), (std::vector<Row>{{"http://cut", "7"}}));

  // A redirect whose text offset lies exactly at the end, and a table cut in its header.
  IndexDatBuilder redirect(0x810, 0x100);
  redirect.Table(0x100, 1, 0x80C).Entry(0x100, 0, 0x800);
  redirect.Bytes(0x800, "REDR").UInt64(0x808, 9);
  redirect.Bytes(0x80C, "HASH");
  redirect.bytes.resize(0x810);
  EXPECT_TRUE(Read(redirect.bytes).empty());

  // Files too short for a header, and empty.
  EXPECT_TRUE(Read(std::string(35, '\x10')).empty());
  EXPECT_TRUE(Read("").empty());
}

TEST(IndexDatReader, ARecordNamedByManyEntriesIsOneRowAndTextsNeverOutgrowTheFile) {
  // 250 entries, in a row and apart, naming one record whose text runs to the end of a
  // 64 KiB file, and another: the rows are the distinct records, so two rows.
  IndexDatBuilder f(0x1000, 0x100);
  f.Table(0x100, 17);
  for (int k = 0; k < 250; ++k) f.Entry(0x100, k, k % 7 == 3 ? 0xA00 : 0xC00);
  f.UrlRecord(0xA00, "other", 2).UrlRecord(0xC00, "", 1);
  f.bytes.resize(0xC68);
  f.bytes += std::string(0x10000, 'x');
  f.Int32(28, static_cast<std::int32_t>(f.bytes.size()));
  EXPECT_EQ(Read(f.bytes), (std::vector<Row>{{std::string(0x10000, 'x'), "1"}, {"other", "2"}}));

  // 500 distinct records four bytes apart whose texts all run on into one long text: a
  // sound file never lists more text than it holds, so the rows stop first and never take
  // more than twice the file.
  IndexDatBuilder apart(0x1000, 0x100);
  apart.Table(0x100, 33);
  for (int k = 0; k < 500; ++k) apart.Entry(0x100, k, 0x2000 + 4 * k);
  std::string records;
  for (int k = 0; k < 520; ++k) records += "URL ";
  apart.Bytes(0x2000, records + std::string(0x4000, 'y'));
  apart.Int32(28, static_cast<std::int32_t>(apart.bytes.size()));
  MemoryFileReader file(apart.bytes);
  IndexDatRows found;
  ReadIndexDat(file, 0, found, nullptr);
  EXPECT_GT(found.size(), 0u);
  EXPECT_LT(found.size(), 500u);
  EXPECT_LE(found.MemoryBytes(), 2 * apart.bytes.size());
}

// The sparse shapes of the fuzz corpus claim 2 GiB and hold a megabyte or less, each with a
// URL or more: a read holds less than 64 MiB plus twice the bytes the file gave, whatever
// it claims, and lists each record once; the wipe's walk of the same chain holds no more.
TEST(IndexDatReader, SparseFilesTakeTheMemoryOfTheirDataNotOfTheirSize) {
  const std::filesystem::path corpus =
      std::filesystem::path(MORVEL_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "index_dat_fuzz";
  bool any = false;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string description((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    auto file = testing::SparseFileReader::Parse(description);
    if (!file) continue;
    any = true;
    SCOPED_TRACE(entry.path().filename().string());
    IndexDatRows rows;
    const testing::AllocationMeter reading;
    ReadIndexDat(*file, 0, rows, nullptr);
    EXPECT_LE(reading.Peak(), kMemoryFloor + 2 * file->bytes_read());
    EXPECT_FALSE(rows.empty());
    std::set<std::string_view> texts;
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_TRUE(texts.insert(rows.Url(i)).second);

    const std::uint64_t read_before = file->bytes_read();
    testing::DiscardingWriter out(file->Size());
    const testing::AllocationMeter wiping;
    EXPECT_TRUE(WipeIndexDatPass(*file, out, 0x5A));
    EXPECT_LE(wiping.Peak(), kMemoryFloor + 2 * (file->bytes_read() - read_before));
  }
  EXPECT_TRUE(any) << corpus;
}

TEST(IndexDatReader, BytesAboveAsciiBecomeOneCharacterEach) {
  IndexDatBuilder f(0x1000, 0x100);
  f.Table(0x100, 1).Entry(0x100, 0, 0x800).UrlRecord(0x800, "caf\xE9/\x80", 1);
  EXPECT_EQ(Read(f.bytes), (std::vector<Row>{{"caf\xC3\xA9/\xC2\x80", "1"}}));
}

TEST(IndexDatReader, ProgressMovesForwardToHundredAndCanStopTheRead) {
  IndexDatBuilder f(0x2000, 0x100);
  f.Table(0x100, 1, 0x400).Table(0x400, 1);  // 28 entries in all
  for (int k = 0; k < 24; ++k) {
    f.Entry(k < 12 ? 0x100 : 0x400, k % 12, 0x800 + 0x80 * k);
    f.UrlRecord(0x800 + 0x80 * k, "u" + std::to_string(k), k, "URL ", 0x20);
  }
  Recorder all;
  EXPECT_EQ(Read(f.bytes, &all).size(), 24u);
  EXPECT_EQ(all.entries, 28);
  // 100 / 28 per entry, integer percent, only forward.
  ASSERT_EQ(all.moves.size(), 28u);
  EXPECT_EQ(all.moves.front(), 3);
  EXPECT_EQ(all.moves[13], 50);
  EXPECT_EQ(all.moves.back(), 100);
  EXPECT_TRUE(std::is_sorted(all.moves.begin(), all.moves.end()));

  Recorder stopped;
  stopped.stop_after = 5;
  EXPECT_EQ(Read(f.bytes, &stopped).size(), 5u);
  EXPECT_EQ(stopped.moves.back(), 17);  // left where it was

  // The total pass does not test signatures: a second table that is not "HASH" still
  // counts, so the bar waits for the final 100.
  f.Bytes(0x400, "XXXX");
  Recorder partial;
  EXPECT_EQ(Read(f.bytes, &partial).size(), 12u);
  EXPECT_EQ(partial.moves[partial.moves.size() - 2], 50);
  EXPECT_EQ(partial.moves.back(), 100);
}

TEST(IndexDatReader, WhileABatchIsWalkedAndReadTheDialogIsAskedAndCanStopTheRead) {
  // One table of 1,278 entries, 1,100 of them leading to records: one batch, walked in three
  // chunks of entries and read ahead in three runs of records before any BeforeEntry.
  IndexDatBuilder f(0x30000, 0x100);
  f.Table(0x100, 80);
  for (int k = 0; k < 1100; ++k) {
    f.Entry(0x100, k, 0x4000 + 0x80 * k);
    f.UrlRecord(0x4000 + 0x80 * k, "u" + std::to_string(k), k, "URL ", 0x40);
  }
  Recorder all;
  EXPECT_EQ(Read(f.bytes, &all).size(), 1100u);
  EXPECT_EQ(all.working, 5);
  EXPECT_EQ(all.working_before_entries, 5);

  for (int stop : {0, 3}) {
    Recorder stopped;
    stopped.stop_working_after = stop;
    EXPECT_EQ(Read(f.bytes, &stopped).size(), 0u) << stop;
    EXPECT_EQ(stopped.entries, 0) << stop;
    EXPECT_TRUE(stopped.moves.empty()) << stop;
  }
}

TEST(IndexDatReader, ReadsGoThroughAFewLargeBlocksWhereverTheRecordsLie) {
  // 636 records over 2 MiB, more than the cache holds, the entries in file order and then
  // scattered as a real cache's hashing scatters them: rows come in entry order, and the
  // reads still go through the file once in 64 KiB blocks.
  std::vector<int> order(636);
  for (int k = 0; k < 636; ++k) order[k] = k;
  for (const bool scattered : {false, true}) {
    if (scattered) std::shuffle(order.begin(), order.end(), std::mt19937(3));
    IndexDatBuilder f(0x200000, 0x100);
    f.Table(0x100, 40);
    for (int k = 0; k < 636; ++k) {
      const int record = 0x2000 + 0xC00 * order[k];
      f.Entry(0x100, k, record).UrlRecord(record, "http://site/" + std::to_string(k), k);
    }
    MemoryFileReader file(f.bytes);
    IndexDatRows rows;
    ReadIndexDat(file, 0, rows, nullptr);
    ASSERT_EQ(rows.size(), 636u);
    for (int k : {0, 1, 317, 635}) {
      EXPECT_EQ(rows.Url(k), "http://site/" + std::to_string(k));
      EXPECT_EQ(rows.FileTime(k), static_cast<std::uint64_t>(k));
    }
    EXPECT_LE(file.read_calls(), 40u) << "scattered: " << scattered;  // 32 blocks
  }
}

TEST(IndexDatReader, DamagedCopiesOfASoundFileNeverFailOrListTextFromOutside) {
  IndexDatBuilder f(0x1800, 0x100);
  f.Table(0x100, 2, 0x300).Table(0x300, 1, 0x100);
  for (int k = 0; k < 20; ++k) {
    const int record = 0x500 + 0x100 * k;
    f.Entry(k < 16 ? 0x100 : 0x300, k % 16, record, static_cast<std::uint8_t>(k % 5));
    if (k % 3 == 2)
      f.RedirectRecord(record, "http://r" + std::to_string(k), k);
    else
      f.UrlRecord(record, "http://u" + std::to_string(k), k, k % 3 ? "LEAK" : "URL ");
  }
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = f.bytes;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i)
      bytes[random() % 0x600] = static_cast<char>(random() % 4 ? random() % 0x80 : 0);
    if (random() % 4 == 0) bytes.resize(random() % bytes.size());
    for (const Row& row : Read(bytes)) {
      ASSERT_FALSE(row.url.empty());
      ASSERT_NE(bytes.find(row.url), std::string::npos) << row.url;  // all ASCII here
    }
  }
}

}  // namespace
}  // namespace morvel
