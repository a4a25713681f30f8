#include "stores/index_dat_rows.h"

#include <algorithm>

namespace morvel {

int IndexDatRows::ImageIndex(std::size_t row) const {
  // The last run that starts at or before the row.
  const auto after = std::upper_bound(
      images_.begin(), images_.end(), row,
      [](std::size_t r, const std::pair<std::size_t, int>& run) { return r < run.first; });
  return after == images_.begin() ? 0 : std::prev(after)->second;
}

void IndexDatRows::Clear() {
  std::string().swap(arena_);
  std::vector<Row>().swap(rows_);
  images_.clear();
}

void IndexDatRows::AddRow(std::size_t offset, std::size_t length, std::uint64_t filetime,
                          int image_index) {
  if (images_.empty() || images_.back().second != image_index)
    images_.emplace_back(rows_.size(), image_index);
  rows_.push_back(
      Row{filetime, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
}

}  // namespace morvel
