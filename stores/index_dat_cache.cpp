#include "stores/index_dat_cache.h"

#include <algorithm>
#include <cstring>

namespace morvel {

IndexDatCache::IndexDatCache(const platform::FileReader& file) : file_(file), size_(file.Size()) {}

const IndexDatCache::Block* IndexDatCache::BlockAt(std::uint64_t offset) {
  if (offset >= size_) return nullptr;
  ++clock_;
  if (blocks_[last_hit_].Holds(offset)) {
    blocks_[last_hit_].last_use = clock_;
    return &blocks_[last_hit_];
  }
  std::size_t victim = 0;
  for (std::size_t i = 0; i < kBlocks; ++i) {
    Block& b = blocks_[i];
    if (b.Holds(offset)) {
      b.last_use = clock_;
      last_hit_ = i;
      return &b;
    }
    if (b.last_use < blocks_[victim].last_use) victim = i;
  }

  const std::uint64_t region = offset - offset % kBlockSize;
  const bool follows_on = last_fill_region_ != UINT64_MAX &&
                          (region == last_fill_region_ || region == last_fill_region_ + kBlockSize);
  last_fill_region_ = region;
  const std::uint64_t start = follows_on ? region : offset - offset % kPieceSize;
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::uint64_t>(follows_on ? kBlockSize : kPieceSize, size_ - start));

  Block& b = blocks_[victim];
  if (!b.bytes) b.bytes = std::make_unique<std::byte[]>(kBlockSize);
  std::size_t got = 0;
  // ReadAt may return less than asked in the middle of a file; keep going until it stops.
  while (got < want) {
    const auto r = file_.ReadAt(start + got, std::span<std::byte>(b.bytes.get() + got, want - got));
    if (!r.ok() || r.value == 0) break;
    got += r.value;
  }
  bytes_read_ += got;
  b.start = start;
  b.length = got;
  b.last_use = clock_;
  if (!b.Holds(offset)) return nullptr;  // the file ended early or the read failed
  last_hit_ = victim;
  return &b;
}

bool IndexDatCache::Read(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > size_ || out.size() > size_ - offset) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    const Block* b = BlockAt(at);
    if (b == nullptr) return false;
    const std::size_t within = static_cast<std::size_t>(at - b->start);
    const std::size_t n = std::min(out.size() - done, b->length - within);
    std::memcpy(out.data() + done, b->bytes.get() + within, n);
    done += n;
  }
  return true;
}

std::size_t IndexDatCache::ReadUntilZero(std::uint64_t offset, std::size_t limit,
                                         std::string& text) {
  std::size_t appended = 0;
  while (appended < limit) {
    const std::uint64_t at = offset + appended;
    const Block* b = BlockAt(at);
    if (b == nullptr) break;
    const std::size_t within = static_cast<std::size_t>(at - b->start);
    const char* begin = reinterpret_cast<const char*>(b->bytes.get()) + within;
    const std::size_t avail = std::min(b->length - within, limit - appended);
    const void* zero = std::memchr(begin, 0, avail);
    const std::size_t n =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : avail;
    text.append(begin, n);
    appended += n;
    if (zero) break;
  }
  return appended;
}

}  // namespace morvel
