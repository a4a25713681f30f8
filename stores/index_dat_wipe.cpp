#include "stores/index_dat_wipe.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "stores/index_dat_chain.h"

namespace morvel {

namespace {

constexpr std::size_t kWriteBlock = 4096;

// The file as the chain walk reads it: every byte asked for, or nothing.
struct DirectRead {
  const platform::FileReader& file;
  bool operator()(std::uint64_t offset, std::span<std::byte> out) const {
    const auto read = file.ReadAt(offset, out);
    return read.ok() && read.value == out.size();
  }
};

}  // namespace

bool WipeIndexDatPass(const platform::FileReader& in, platform::FileWriter& out,
                      std::uint8_t fill) {
  DirectRead read{in};
  const auto recorded = index_dat::ReadInt32(read, index_dat::kFileSizeField);
  const auto first = index_dat::ReadInt32(read, index_dat::kFirstTableField);
  if (!recorded || !first) return true;
  // A recorded size beyond the file would make the writes grow it.
  const std::uint64_t end_of_file =
      std::min<std::uint64_t>(in.Size(), static_cast<std::uint64_t>(std::max(*recorded, 0)));
  const std::vector<std::byte> block(kWriteBlock, std::byte{fill});
  bool written = true;
  index_dat::WalkHashChain(
      read, *recorded, *first, index_dat::Signed::Required, [&](const index_dat::HashTable& table) {
        // Never into the file's header, even when a table claims to start inside it.
        std::uint64_t position =
            std::max(table.offset + index_dat::kTableHeader, index_dat::kFirstTableField + 4);
        // Up to the next table, never into its header, or to the end for the last one.
        std::uint64_t end = end_of_file;
        if (table.next > 0)
          end = std::min<std::uint64_t>(end, static_cast<std::uint64_t>(table.next));
        while (position < end) {
          const std::size_t n =
              static_cast<std::size_t>(std::min<std::uint64_t>(kWriteBlock, end - position));
          if (!out.WriteAt(position, std::span<const std::byte>(block.data(), n)).ok()) {
            written = false;
            return false;
          }
          position += n;
        }
        return true;
      });
  return written;
}

int IndexDatWipePasses(bool overwrite_file, int overwrite_number) {
  return std::clamp(overwrite_file ? overwrite_number : 0, 1, 3);
}

void WipeIndexDat(platform::FileSystem& files, std::string_view path, int passes,
                  const IndexDatWriterOpener& open_writer) {
  if (!files.Exists(path)) return;
  std::mt19937 random(
      static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> byte(0, 254);
  for (int pass = 1; pass <= passes; ++pass) {
    // The writer first: it decides whether this file may be written at all.
    const std::unique_ptr<platform::FileWriter> out = open_writer();
    if (!out) return;
    auto in = files.OpenForReading(path);
    if (!in.ok()) return;
    const auto fill = static_cast<std::uint8_t>(pass == passes ? 0 : byte(random));
    if (!WipeIndexDatPass(*in.value, *out, fill)) return;
  }
}

}  // namespace morvel
