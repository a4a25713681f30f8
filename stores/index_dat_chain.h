#pragma once
// The header and the chain of hash tables of an index.dat file, as the reader and the
// wipe both walk them: one walk, with one set of guards against damaged files.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace morvel::index_dat {

// File header: the recorded file size and the offset of the first hash table.
inline constexpr std::uint64_t kFileSizeField = 28;
inline constexpr std::uint64_t kFirstTableField = 32;
// Hash table header: "HASH", its number of 128-byte blocks, the offset of the next table.
inline constexpr std::uint64_t kTableBlocksField = 4;
inline constexpr std::uint64_t kTableNextField = 8;
inline constexpr std::uint64_t kTableHeader = 32;  // what the wipe leaves of every table

inline std::int32_t Le32(const std::byte* b) {
  const std::uint32_t v =
      std::to_integer<std::uint32_t>(b[0]) | std::to_integer<std::uint32_t>(b[1]) << 8 |
      std::to_integer<std::uint32_t>(b[2]) << 16 | std::to_integer<std::uint32_t>(b[3]) << 24;
  return static_cast<std::int32_t>(v);
}

// Reads the bytes at an offset of the file: false unless all of them are in it.
template <class Read>
std::optional<std::int32_t> ReadInt32(Read& read, std::uint64_t offset) {
  std::array<std::byte, 4> b;
  if (!read(offset, std::span<std::byte>(b))) return std::nullopt;
  return Le32(b.data());
}

// A set of file offsets (below 2^31, as every offset the walk follows is), open-addressed
// in one array: 4 bytes a slot, at most half of them used, so it takes a few bytes per
// offset met and grows with them, never with what a file claims its size is.
class OffsetSet {
 public:
  // False when `offset` was in the set already.
  bool Insert(std::uint32_t offset) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const std::uint32_t key = offset + 1;  // 0 marks a free slot
    for (std::size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == key) return false;
      if (slots_[i] == 0) {
        slots_[i] = key;
        ++count_;
        return true;
      }
    }
  }
  [[nodiscard]] bool Contains(std::uint32_t offset) const {
    if (slots_.empty()) return false;
    const std::uint32_t key = offset + 1;
    for (std::size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == key) return true;
      if (slots_[i] == 0) return false;
    }
  }
  [[nodiscard]] std::size_t MemoryBytes() const { return slots_.capacity() * sizeof(slots_[0]); }

 private:
  [[nodiscard]] std::size_t Home(std::uint32_t key) const {
    return (key * 0x9E3779B1u) & (slots_.size() - 1);
  }
  void Grow() {
    std::vector<std::uint32_t> old(std::max<std::size_t>(16, slots_.size() * 2), 0);
    old.swap(slots_);
    count_ = 0;
    for (const std::uint32_t key : old)
      if (key != 0) Insert(key - 1);
  }
  std::vector<std::uint32_t> slots_;
  std::size_t count_ = 0;
};

struct HashTable {
  std::uint64_t offset = 0;
  std::int32_t blocks = 0;
  std::int32_t next = 0;  // 0 ends the chain
};

enum class Signed { Required, NotTested };

// Calls `visit` with each hash table of the chain that starts at `first`, while the offset
// is greater than 0 and at most `recorded_size`. The walk ends at a table whose header is
// not in the file (as `read` reports it), one visited before, one that does not begin
// with "HASH" (when required), or when `visit` returns false.
template <class Read, class Visit>
void WalkHashChain(Read& read, std::int64_t recorded_size, std::int64_t first, Signed signed_tables,
                   Visit&& visit) {
  // A chain that comes back to a table walked before would loop for ever: every walk ends
  // there.
  OffsetSet visited;
  for (std::int64_t table = first; table > 0 && table <= recorded_size;) {
    const auto at = static_cast<std::uint64_t>(table);
    std::array<std::byte, 12> head;
    if (!read(at, std::span<std::byte>(head)) || !visited.Insert(static_cast<std::uint32_t>(at)))
      return;
    if (signed_tables == Signed::Required &&
        (head[0] != std::byte{'H'} || head[1] != std::byte{'A'} || head[2] != std::byte{'S'} ||
         head[3] != std::byte{'H'}))
      return;
    const HashTable found{at, Le32(&head[kTableBlocksField]), Le32(&head[kTableNextField])};
    if (!visit(found)) return;
    table = found.next;
  }
}

}  // namespace morvel::index_dat
