#pragma once
// A large index.dat for the benchmarks: RECORDS "URL " records laid out as the URL cache
// lays them out, 4 KiB hash tables of 510 entries between runs of 256-byte records. The
// entries follow the records in file order, or with `shuffled` in random order, as hashing
// scatters them in a real cache.

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace morvel::bench {

inline constexpr std::uint32_t kTableBytes = 4096;
inline constexpr std::uint32_t kEntriesPerTable = (kTableBytes - 16) / 8;  // 510
inline constexpr std::uint32_t kRecordBytes = 256;
inline constexpr std::uint32_t kFirstTable = 0x4000;

inline void Put32(std::string& f, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
}

inline std::string MakeIndexDat(std::uint32_t records, bool shuffled) {
  const std::uint32_t tables = (records + kEntriesPerTable - 1) / kEntriesPerTable;
  std::string f(
      kFirstTable + std::size_t{tables} * kTableBytes + std::size_t{records} * kRecordBytes, '\0');
  f.replace(0, 24, "Client UrlCache MMF Ver ");
  Put32(f, 28, static_cast<std::uint32_t>(f.size()));
  Put32(f, 32, kFirstTable);

  // Table t sits before the records of its entries; the entries may be dealt at random.
  std::vector<std::uint32_t> record_at(records);
  std::vector<std::uint32_t> table_at(tables);
  std::uint32_t at = kFirstTable;
  for (std::uint32_t r = 0; r < records; ++r) {
    if (r % kEntriesPerTable == 0) {
      table_at[r / kEntriesPerTable] = at;
      at += kTableBytes;
    }
    record_at[r] = at;
    at += kRecordBytes;
  }
  std::vector<std::uint32_t> order(records);
  std::iota(order.begin(), order.end(), 0u);
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(1));

  std::uint64_t filetime = 0x01D0'0000'0000'0000;  // 2014
  for (std::uint32_t t = 0; t < tables; ++t) {
    const std::uint32_t table = table_at[t];
    f.replace(table, 4, "HASH");
    Put32(f, table + 4, kTableBytes / 128);
    Put32(f, table + 8, t + 1 < tables ? table_at[t + 1] : 0);
    for (std::uint32_t k = 0; k < kEntriesPerTable; ++k) {
      const std::uint32_t entry = table + 16 + 8 * k;
      const std::uint32_t r = t * kEntriesPerTable + k;
      if (r >= records) {
        f[entry] = 3;  // free
        continue;
      }
      const std::uint32_t record = record_at[order[r]];
      Put32(f, entry, 0x80 | (r & 0x7F) << 8);  // a hash key in the upper bytes
      Put32(f, entry + 4, record);
      f.replace(record, 4, "URL ");
      Put32(f, record + 4, kRecordBytes / 128);
      filetime += 37'000'000'123;
      Put32(f, record + 16, static_cast<std::uint32_t>(filetime));
      Put32(f, record + 20, static_cast<std::uint32_t>(filetime >> 32));
      f[record + 52] = 0x68;
      const std::string url = "http://www.example" + std::to_string(r % 977) + ".com/images/" +
                              std::to_string(r) + "/picture.png?size=large";
      f.replace(record + 0x68, url.size(), url);
    }
  }
  return f;
}

}  // namespace morvel::bench
