// index_dat_timing generate IMAGE [RECORDS] [shuffled]
//     writes a machine image whose IMAGE/drives/C/index.dat holds RECORDS (200,000) "URL "
//     records laid out as the URL cache lays them out: 4 KiB hash tables of 508 entries
//     between runs of 256-byte records. The entries follow the records in file order, or
//     with "shuffled" in random order, as hashing scatters them in a real cache.
// index_dat_timing time IMAGE [ROUNDS]
//     best-of-ROUNDS milliseconds of reading C:\index.dat through the emulated machine's
//     FileReader into the viewer's rows (read_ms), the bytes the rows hold (memory), and
//     the milliseconds of the time texts of one screen of 40 rows (screen_ms), as
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
#include <string>
#include <vector>

#include "platform/emulated/machine.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"
#include "stores/index_dat_wipe.h"
#include "tests/bench/best_time.h"
#include "tests/bench/index_dat_sample.h"

namespace {

using morvel::bench::BestMilliseconds;
using morvel::bench::kFirstTable;
using morvel::bench::MakeIndexDat;

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
    std::size_t memory = 0;
    const double walk = BestMilliseconds(rounds, [&] {
      morvel::IndexDatRows found;
      if (!morvel::ReadIndexDatFile(files, "C:\\index.dat", 0, found, nullptr).ok()) {
        std::cerr << "cannot open C:\\index.dat in " << argv[2] << "\n";
        std::exit(1);
      }
      rows = found.size();
      memory = found.MemoryBytes();
      return found.size();
    });
    // What a screen of the viewer asks for: 40 rows' time texts.
    morvel::IndexDatRows found;
    (void)morvel::ReadIndexDatFile(files, "C:\\index.dat", 0, found, nullptr);
    const double screen = BestMilliseconds(rounds, [&] {
      std::size_t length = 0;
      for (std::size_t i = 0; i < std::min<std::size_t>(40, found.size()); ++i)
        length += morvel::LastModifiedText(system, found.FileTime(i)).size();
      return length;
    });
    std::cout << "read_ms=" << walk << "\nscreen_ms=" << screen << "\nrows=" << rows
              << "\nmemory=" << memory << "\n";
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
