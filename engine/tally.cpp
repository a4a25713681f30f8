#include "engine/tally.h"

namespace morvel {

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

void Tally::AddItems(std::int32_t count) { items = WrappingAdd(items, count); }

void Tally::Add(const Tally& other) {
  AddItems(other.items);
  bytes += other.bytes;
  left.insert(left.end(), other.left.begin(), other.left.end());
}

std::int32_t Tally::LeftItems() const {
  std::int32_t sum = 0;
  for (const LeftEntry& entry : left) sum = WrappingAdd(sum, entry.items);
  return sum;
}

std::uint64_t Tally::LeftBytes() const {
  std::uint64_t sum = 0;
  for (const LeftEntry& entry : left) sum += entry.bytes;
  return sum;
}

}  // namespace morvel
