#include "engine/item_counters.h"

#include "engine/format_kb.h"

namespace morvel {

void AddToItemCount(RunContext& run, std::int32_t count) {
  std::int32_t& item_count = run.ItemCount();
  item_count = static_cast<std::int32_t>(static_cast<std::uint32_t>(item_count) +
                                         static_cast<std::uint32_t>(count));
}

void SetItemBytes(RunContext& run, std::uint64_t bytes) {
  run.ItemBytes() = bytes;
  run.ItemSizeText() = FormatKB(bytes);
}

}  // namespace morvel
