#pragma once
// The header and the chain of hash tables of an index.dat file, as the reader and the
// wipe both walk them: one walk, with one set of guards against damaged files.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_set>
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

// Tables already walked. A chain that comes back to one of them would loop for ever, so
// every walk ends there. Few tables in a sound file: a set; a long chain in a damaged one
// switches to one bit per byte of the file so memory stays a fraction of its size.
class VisitedTables {
 public:
  explicit VisitedTables(std::uint64_t file_size) : file_size_(file_size) {}

  // False when `offset` (0 < offset <= file size) was visited before.
  bool Insert(std::uint64_t offset) {
    if (!bits_.empty()) {
      if (offset >= bits_.size() || bits_[offset]) return false;
      bits_[offset] = true;
      return true;
    }
    if (!few_.insert(offset).second) return false;
    if (few_.size() > kFewLimit) {
      bits_.assign(file_size_ + 1, false);
      for (std::uint64_t o : few_)
        if (o < bits_.size()) bits_[o] = true;
      few_.clear();
    }
    return true;
  }

 private:
  static constexpr std::size_t kFewLimit = 4096;
  std::uint64_t file_size_;
  std::unordered_set<std::uint64_t> few_;
  std::vector<bool> bits_;
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
// with "HASH" (when required), or when `visit` returns false. `file_size` is the real
// length, for the loop guard.
template <class Read, class Visit>
void WalkHashChain(Read& read, std::uint64_t file_size, std::int64_t recorded_size,
                   std::int64_t first, Signed signed_tables, Visit&& visit) {
  VisitedTables visited(file_size);
  for (std::int64_t table = first; table > 0 && table <= recorded_size;) {
    const auto at = static_cast<std::uint64_t>(table);
    std::array<std::byte, 12> head;
    if (!read(at, std::span<std::byte>(head)) || !visited.Insert(at)) return;
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
