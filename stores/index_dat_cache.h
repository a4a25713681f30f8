#pragma once
// A small read cache in front of a FileReader. The index.dat walk makes hundreds of
// thousands of tiny reads at computed offsets; each goes to one of a few aligned blocks
// filled by ReadAt, so the file is never loaded whole and memory stays bounded whatever
// its size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/file_system.h"

namespace morvel {

class IndexDatCache {
 public:
  // Reads that follow on from the last one fill a whole block; a read elsewhere in the file
  // (the records of a real cache lie in hash order, all over it) fills only a small piece,
  // so scattered reads do not copy 64 KiB each.
  static constexpr std::size_t kBlockSize = 64 * 1024;
  static constexpr std::size_t kPieceSize = 4 * 1024;
  static constexpr std::size_t kBlocks = 8;

  explicit IndexDatCache(const platform::FileReader& file);

  // The file's length as the reader reported it when opened.
  [[nodiscard]] std::uint64_t size() const { return size_; }
  // The bytes the file has given so far: what a read may be allowed to hold is counted in
  // them, never in the length a file claims (a sparse file claims gigabytes of nothing).
  [[nodiscard]] std::uint64_t bytes_read() const { return bytes_read_; }

  // Copies the bytes at [offset, offset + out.size()). False, with `out` unspecified, when
  // any of them lies outside the file or could not be read.
  bool Read(std::uint64_t offset, std::span<std::byte> out);

  // Appends to `text` the bytes from `offset` up to the first zero byte or the end of the
  // file, at most `limit` of them. Returns how many were appended.
  std::size_t ReadUntilZero(std::uint64_t offset, std::size_t limit, std::string& text);

 private:
  struct Block {
    std::uint64_t start = 0;
    std::size_t length = 0;  // bytes held from `start`; 0 for an unused block
    std::uint64_t last_use = 0;
    std::unique_ptr<std::byte[]> bytes;

    [[nodiscard]] bool Holds(std::uint64_t offset) const {
      return offset >= start && offset - start < length;
    }
  };

  // A block holding the byte at `offset`, read in on a miss; nullptr when it cannot be read.
  const Block* BlockAt(std::uint64_t offset);

  const platform::FileReader& file_;
  std::uint64_t size_;
  std::uint64_t clock_ = 0;
  std::uint64_t bytes_read_ = 0;
  std::size_t last_hit_ = 0;
  std::uint64_t last_fill_region_ = UINT64_MAX;  // kBlockSize-aligned start of the last fill
  std::array<Block, kBlocks> blocks_;
};

}  // namespace morvel
