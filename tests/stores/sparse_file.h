#pragma once
// A sparse file as the index.dat corpus and tests describe one: the size it claims and the
// stretches that hold data; everything else reads as zeros, as the holes of a sparse file
// do. So a file of gigabytes that holds a megabyte is a few kilobytes of description.
//
// The description: "MVSPARSE", the size (8 bytes, little-endian), then stretches, each
// 'D', its offset (8 bytes), its length (4 bytes) and that many bytes; or 'F', its offset,
// its length and one byte that fills it. A stretch that overlaps the one before it starts
// where that one ends.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace morvel::testing {

inline constexpr std::string_view kSparseMark = "MVSPARSE";

// Writes a description.
class SparseShape {
 public:
  explicit SparseShape(std::uint64_t size) : text_(kSparseMark) { Put(size, 8); }
  SparseShape& Data(std::uint64_t offset, std::string_view bytes) {
    text_ += 'D';
    Put(offset, 8);
    Put(bytes.size(), 4);
    text_ += bytes;
    return *this;
  }
  SparseShape& Fill(std::uint64_t offset, std::uint32_t length, char byte) {
    text_ += 'F';
    Put(offset, 8);
    Put(length, 4);
    text_ += byte;
    return *this;
  }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  void Put(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) text_ += static_cast<char>(value >> (8 * i));
  }
  std::string text_;
};

// Reads a description as the file it describes, and counts the bytes it gives.
class SparseFileReader final : public platform::FileReader {
 public:
  // nullopt when `description` is none (no mark, or cut inside a stretch's header).
  static std::optional<SparseFileReader> Parse(std::string_view description,
                                               std::uint64_t max_size = UINT64_MAX) {
    if (!description.starts_with(kSparseMark)) return std::nullopt;
    std::string_view rest = description.substr(kSparseMark.size());
    SparseFileReader file;
    if (!Take(rest, 8, file.size_)) return std::nullopt;
    file.size_ = std::min(file.size_, max_size);
    while (!rest.empty()) {
      const char kind = rest.front();
      rest.remove_prefix(1);
      Stretch s;
      std::uint64_t length = 0;
      if ((kind != 'D' && kind != 'F') || !Take(rest, 8, s.offset) || !Take(rest, 4, length))
        return std::nullopt;
      if (kind == 'D') {
        length = std::min<std::uint64_t>(length, rest.size());
        s.bytes = std::string(rest.substr(0, static_cast<std::size_t>(length)));
        rest.remove_prefix(static_cast<std::size_t>(length));
      } else {
        if (rest.empty()) return std::nullopt;
        s.fill = rest.front();
        rest.remove_prefix(1);
      }
      s.length = length;
      if (s.offset < file.size_ && s.length > 0) {
        s.length = std::min(s.length, file.size_ - s.offset);
        file.stretches_.push_back(std::move(s));
      }
    }
    std::stable_sort(file.stretches_.begin(), file.stretches_.end(),
                     [](const Stretch& a, const Stretch& b) { return a.offset < b.offset; });
    // No overlaps: each starts where the one before it ends.
    std::uint64_t end = 0;
    for (Stretch& s : file.stretches_) {
      const std::uint64_t cut = std::min(s.length, std::max(end, s.offset) - s.offset);
      s.offset += cut;
      s.length -= cut;
      s.skip = cut;
      end = std::max(end, s.offset + s.length);
    }
    return file;
  }

  [[nodiscard]] std::uint64_t Size() const override { return size_; }

  [[nodiscard]] platform::Result<std::size_t> ReadAt(std::uint64_t offset,
                                                     std::span<std::byte> buffer) const override {
    if (offset >= size_) return platform::Result<std::size_t>::Of(0);
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size_ - offset));
    std::memset(buffer.data(), 0, n);
    auto at = std::upper_bound(stretches_.begin(), stretches_.end(), offset,
                               [](std::uint64_t o, const Stretch& s) { return o < s.offset; });
    if (at != stretches_.begin()) --at;
    for (; at != stretches_.end() && at->offset < offset + n; ++at) {
      const std::uint64_t from = std::max(offset, at->offset);
      const std::uint64_t to = std::min(offset + n, at->offset + at->length);
      if (from >= to) continue;
      std::byte* out = buffer.data() + (from - offset);
      const auto count = static_cast<std::size_t>(to - from);
      if (at->bytes.empty())
        std::memset(out, static_cast<unsigned char>(at->fill), count);
      else
        std::memcpy(out, at->bytes.data() + at->skip + (from - at->offset), count);
    }
    bytes_read_ += n;
    return platform::Result<std::size_t>::Of(n);
  }

  // The bytes ReadAt has given.
  [[nodiscard]] std::uint64_t bytes_read() const { return bytes_read_; }

  // Where the file holds data, as [offset, length) pairs in file order: the rest is holes.
  [[nodiscard]] std::vector<std::pair<std::uint64_t, std::uint64_t>> DataRanges() const {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const Stretch& s : stretches_)
      if (s.length > 0) ranges.emplace_back(s.offset, s.length);
    return ranges;
  }

 private:
  struct Stretch {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint64_t skip = 0;  // of `bytes`, cut off by the stretch before
    std::string bytes;       // empty for a fill
    char fill = 0;
  };

  static bool Take(std::string_view& rest, int bytes, std::uint64_t& value) {
    if (rest.size() < static_cast<std::size_t>(bytes)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
      value |= std::uint64_t{static_cast<unsigned char>(rest[static_cast<std::size_t>(i)])}
               << (8 * i);
    rest.remove_prefix(static_cast<std::size_t>(bytes));
    return true;
  }

  std::uint64_t size_ = 0;
  std::vector<Stretch> stretches_;
  mutable std::uint64_t bytes_read_ = 0;
};

}  // namespace morvel::testing

namespace morvel::testing {

// A FileWriter that keeps nothing: for a wipe of a file too large to hold, it checks that
// every write lies inside the file.
class DiscardingWriter final : public platform::FileWriter {
 public:
  explicit DiscardingWriter(std::uint64_t size) : size_(size) {}
  [[nodiscard]] platform::Result<std::uint64_t> Size() const override {
    return platform::Result<std::uint64_t>::Of(size_);
  }
  platform::Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (offset > size_ || bytes.size() > size_ - offset)
      return platform::Status::Error(platform::ErrorKind::InvalidArgument);
    return platform::Status::Ok();
  }
  platform::Status Flush() override { return platform::Status::Ok(); }
  [[nodiscard]] platform::Result<std::uint32_t> LinkCount() const override {
    return platform::Result<std::uint32_t>::Of(1);
  }

 private:
  std::uint64_t size_;
};

}  // namespace morvel::testing
