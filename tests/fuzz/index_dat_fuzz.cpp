// The index.dat reader on arbitrary bytes: it ends, every row it lists comes from inside
// the file (a text ended by a zero byte or the file's end, a time stamp of eight bytes
// of it), the bar only moves forward to 100, and a read stopped from outside lists the
// first rows of the full read and nothing after. The wipe on the same bytes ends too,
// keeps the file's size and header, writes nothing but the fill byte, and a second wipe
// of its result changes nothing. An input that describes a sparse file is read as one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_wipe.h"
#include "stores/memory_file_reader.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/stores/sparse_file.h"

namespace {

using morvel::IndexDatRows;

constexpr int kImageIndex = 3;

class Recorder final : public morvel::IndexDatProgress {
 public:
  explicit Recorder(std::size_t stop_after) : stop_after_(stop_after) {}
  void MoveTo(int percent) override {
    FUZZ_CHECK(!stopped);
    FUZZ_CHECK(percent >= 1 && percent <= 100);
    FUZZ_CHECK(positions.empty() || percent > positions.back());
    positions.push_back(percent);
  }
  bool BeforeEntry() override {
    FUZZ_CHECK(!stopped);
    if (entries == stop_after_) {
      stopped = true;
      return false;
    }
    ++entries;
    return true;
  }

  std::vector<int> positions;
  std::size_t entries = 0;
  bool stopped = false;

 private:
  std::size_t stop_after_;
};

// A row's text back to the file's bytes: one character per byte.
std::string FileBytes(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = morvel::DecodeUtf8(text, i);
    FUZZ_CHECK(c > 0 && c <= 0xFF);
    bytes.push_back(static_cast<char>(c));
  }
  return bytes;
}

// Whether `text` occurs in `file` ended by a zero byte or by the end of the file.
bool IsTextOfFile(std::string_view file, std::string_view text) {
  for (std::size_t at = file.find(text); at != std::string_view::npos;
       at = file.find(text, at + 1)) {
    const std::size_t end = at + text.size();
    if (end == file.size() || file[end] == '\0') return true;
  }
  return false;
}

bool IsTimeOfFile(std::string_view file, std::uint64_t filetime) {
  char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(filetime >> (8 * i));
  return file.find(std::string_view(bytes, 8)) != std::string_view::npos;
}

// A sparse file (tests/stores/sparse_file.h): it claims up to 2 GiB and holds what the
// input describes. The read ends, holds less than 64 MiB plus twice what it read and lists
// no empty text. (The wipe would write its gigabytes of fill: the stores tests wipe the
// corpus's sparse shapes, once.)
int ReadSparse(const morvel::testing::SparseFileReader& reader) {
  IndexDatRows rows;
  Recorder progress(SIZE_MAX);
  morvel::ReadIndexDat(reader, kImageIndex, rows, &progress);
  FUZZ_CHECK(!progress.positions.empty() && progress.positions.back() == 100);
  FUZZ_CHECK(rows.MemoryBytes() <= (std::size_t{64} << 20) + 2 * reader.bytes_read());
  for (std::size_t i = 0; i < rows.size(); ++i) FUZZ_CHECK(!rows.Url(i).empty());
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  if (const auto sparse = morvel::testing::SparseFileReader::Parse(file, std::uint64_t{1} << 31))
    return ReadSparse(*sparse);
  const morvel::MemoryFileReader reader(data, size);

  IndexDatRows full;
  Recorder progress(SIZE_MAX);
  morvel::ReadIndexDat(reader, kImageIndex, full, &progress);
  FUZZ_CHECK(!progress.positions.empty() && progress.positions.back() == 100);
  FUZZ_CHECK(full.size() <= progress.entries);
  FUZZ_CHECK(full.MemoryBytes() <= 2 * size + 4096);
  for (std::size_t i = 0; i < full.size(); ++i) {
    FUZZ_CHECK(full.ImageIndex(i) == kImageIndex);
    const std::string text = FileBytes(full.Url(i));
    FUZZ_CHECK(!text.empty() && text.find('\0') == std::string::npos);
    FUZZ_CHECK(IsTextOfFile(file, text));
    FUZZ_CHECK(IsTimeOfFile(file, full.FileTime(i)));
  }

  // Stopped part-way, as when the viewer closes during a read.
  if (progress.entries > 0) {
    IndexDatRows part;
    Recorder stopping(size % progress.entries);
    morvel::ReadIndexDat(reader, kImageIndex, part, &stopping);
    FUZZ_CHECK(stopping.stopped);
    FUZZ_CHECK(part.size() <= full.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
      FUZZ_CHECK(part.Url(i) == full.Url(i));
      FUZZ_CHECK(part.FileTime(i) == full.FileTime(i));
    }
  }

  std::string wiped(file);
  morvel::MemoryFileWriter out(wiped);
  FUZZ_CHECK(morvel::WipeIndexDatPass(reader, out, 0x5A));
  FUZZ_CHECK(wiped.size() == size);
  for (std::size_t at = 0; at < size; ++at) {
    if (wiped[at] == file[at]) continue;
    FUZZ_CHECK(at >= 36 && wiped[at] == '\x5A');
  }
  std::string again(wiped);
  morvel::MemoryFileWriter out_again(again);
  FUZZ_CHECK(morvel::WipeIndexDatPass(morvel::MemoryFileReader(wiped), out_again, 0x5A));
  FUZZ_CHECK(again == wiped);
  return 0;
}
