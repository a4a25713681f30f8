// index_dat_timing generate IMAGE [RECORDS] [shuffled]
//     writes a machine image whose IMAGE/drives/C/index.dat holds RECORDS (200,000) "URL "
//     records laid out as the URL cache lays them out: 4 KiB hash tables of 508 entries
//     between runs of 256-byte records. The entries follow the records in file order, or
//     with "shuffled" in random order, as hashing scatters them in a real cache.
// index_dat_timing time IMAGE [ROUNDS]
//     best-of-ROUNDS milliseconds of reading C:\index.dat through the emulated machine's
//     FileReader: the walk alone (read_ms) and with the time texts (rows_ms), as
//     "name=value" lines. The companion of scripts/bench-index-dat.sh.
// index_dat_timing wipe IMAGE [ROUNDS]
//     best-of-ROUNDS milliseconds of one wipe pass over C:\index.dat through the emulated
//     machine's files (wipe_ms), and the byte range it overwrites (from, to). The
//     companion of scripts/bench-index-dat.sh.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/emulated/machine.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"
#include "stores/index_dat_wipe.h"
#include "tests/bench/best_time.h"

namespace {

constexpr std::uint32_t kTableBytes = 4096;
constexpr std::uint32_t kEntriesPerTable = (kTableBytes - 16) / 8;  // 510
constexpr std::uint32_t kRecordBytes = 256;
constexpr std::uint32_t kFirstTable = 0x4000;

void Put32(std::string& f, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
}

std::string MakeIndexDat(std::uint32_t records, bool shuffled) {
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

using morvel::bench::BestMilliseconds;

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && argc >= 3) {
    const std::uint32_t records =
        argc > 3 ? static_cast<std::uint32_t>(std::max(1, std::atoi(argv[3]))) : 200'000;
    const bool shuffled = argc > 4 && std::string(argv[4]) == "shuffled";
    const std::filesystem::path drive = std::filesystem::path(argv[2]) / "drives" / "C";
    std::filesystem::create_directories(drive);
    std::ofstream(drive / "index.dat", std::ios::binary) << MakeIndexDat(records, shuffled);
    return 0;
  }
  if (mode == "time" && argc >= 3) {
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    auto machine = morvel::platform::emulated::EmulatedMachine::Open(argv[2]);
    const auto& files = machine->files();
    const auto& system = machine->system();
    std::size_t rows = 0;
    const auto read = [&](const morvel::IndexDatTimeText& time_text) {
      morvel::IndexDatLists lists;
      if (!morvel::ReadIndexDatFile(files, "C:\\index.dat", 0, time_text, lists, nullptr).ok()) {
        std::cerr << "cannot open C:\\index.dat in " << argv[2] << "\n";
        std::exit(1);
      }
      rows = lists.urls.size();
      return lists;
    };
    const double walk =
        BestMilliseconds(rounds, [&] { return read([](std::uint64_t) { return std::string(); }); });
    const double with_times = BestMilliseconds(rounds, [&] {
      return read([&](std::uint64_t t) { return morvel::LastModifiedText(system, t); });
    });
    std::cout << "read_ms=" << walk << "\nrows_ms=" << with_times << "\nrows=" << rows << "\n";
    return 0;
  }
  if (mode == "wipe" && argc >= 3) {
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    auto machine = morvel::platform::emulated::EmulatedMachine::Open(argv[2]);
    auto& files = machine->files();
    const auto size = files.Stat("C:\\index.dat");
    if (!size.ok()) {
      std::cerr << "no C:\\index.dat in " << argv[2] << "\n";
      return 1;
    }
    const double wipe = BestMilliseconds(rounds, [&] {
      morvel::WipeIndexDat(files, "C:\\index.dat", 1, [&files] {
        auto opened = files.OpenSharedForWriting("C:\\index.dat");
        return opened.ok() ? std::move(opened.value) : nullptr;
      });
      return 0;
    });
    std::cout << "wipe_ms=" << wipe << "\nfrom=" << kFirstTable + 32 << "\nto=" << size.value.size
              << "\n";
    return 0;
  }
  std::cerr << "usage: index_dat_timing generate IMAGE [RECORDS] [shuffled] | time IMAGE "
               "[ROUNDS] | wipe IMAGE [ROUNDS]\n";
  return 2;
}
