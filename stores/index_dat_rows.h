#pragma once
// The rows an index.dat read found, as the viewer's list view asks for them: row i is a URL
// text and the time stamp of its record. The texts live in one arena of bytes, each row an
// offset, a length and the raw FILETIME: no string per row, and a time is put into words
// only when a row is shown (index_dat_time.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvel {

class IndexDatRows {
 public:
  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }

  // The URL of row `row` as UTF-8: one character per byte of the file (bytes from 0x80 are
  // U+0080 to U+00FF).
  [[nodiscard]] std::string_view Url(std::size_t row) const {
    return std::string_view(arena_).substr(rows_[row].offset, rows_[row].length);
  }
  // The record's time stamp (a Windows FILETIME in UTC), shown as "Last Modified".
  [[nodiscard]] std::uint64_t FileTime(std::size_t row) const { return rows_[row].filetime; }
  // The picture of the row in the viewer's image list.
  [[nodiscard]] int ImageIndex(std::size_t row) const;

  // Forgets every row and gives their memory back.
  void Clear();
  // Room for `rows` more rows.
  void Reserve(std::size_t rows) { rows_.reserve(rows_.size() + rows); }
  // The bytes the rows hold on to, arena and table together.
  [[nodiscard]] std::size_t MemoryBytes() const {
    return arena_.capacity() + rows_.capacity() * sizeof(Row) +
           images_.capacity() * sizeof(images_[0]);
  }

  // Where the reader puts texts: bytes appended to the arena (as UTF-8) are named by their
  // offset and length in AddRow, in any order.
  std::string& Arena() { return arena_; }
  // A row for the arena's bytes [offset, offset + length). Rows added after a change of
  // `image_index` carry the new one.
  void AddRow(std::size_t offset, std::size_t length, std::uint64_t filetime, int image_index);

  // The largest arena the rows can name (offsets and lengths are 32-bit).
  static constexpr std::size_t kMaxArena = 0xFFFFFFFFu;

 private:
  struct Row {
    std::uint64_t filetime;
    std::uint32_t offset;
    std::uint32_t length;
  };
  std::string arena_;
  std::vector<Row> rows_;
  std::vector<std::pair<std::size_t, int>> images_;  // first row, its image, in row order
};

}  // namespace morvel
