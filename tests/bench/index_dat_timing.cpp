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
// index_dat_timing sparse IMAGE SHAPE
//     writes IMAGE/drives/C/index.dat as the sparse file the description SHAPE gives (the
//     sparse shapes of tests/fuzz/corpus/index_dat_fuzz): its size claimed, its holes left
//     unwritten, so that the file takes the disk space of its data alone.
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
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "platform/emulated/machine.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"
#include "stores/index_dat_wipe.h"
#include "tests/bench/best_time.h"
#include "tests/bench/index_dat_sample.h"
#include "tests/stores/sparse_file.h"

namespace {

using morvel::bench::BestMilliseconds;
using morvel::bench::kFirstTable;
using morvel::bench::MakeIndexDat;

// A FileReader that counts the bytes it gives.
struct CountingReader final : morvel::platform::FileReader {
  explicit CountingReader(const morvel::platform::FileReader& file) : file(file) {}
  [[nodiscard]] std::uint64_t Size() const override { return file.Size(); }
  [[nodiscard]] morvel::platform::Result<std::size_t> ReadAt(
      std::uint64_t offset, std::span<std::byte> buffer) const override {
    const auto read = file.ReadAt(offset, buffer);
    if (read.ok()) bytes_read += read.value;
    return read;
  }
  const morvel::platform::FileReader& file;
  mutable std::uint64_t bytes_read = 0;
};

// The most memory the process has held (VmHWM), in KiB; 0 where Linux does not say.
long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  return 0;
}

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
  if (mode == "sparse" && argc >= 4) {
    std::ifstream in(argv[3], std::ios::binary);
    const std::string description((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    const auto shape = morvel::testing::SparseFileReader::Parse(description);
    if (!shape) {
      std::cerr << argv[3] << ": not a sparse file's description\n";
      return 1;
    }
    const std::filesystem::path drive = std::filesystem::path(argv[2]) / "drives" / "C";
    std::filesystem::create_directories(drive);
    std::filesystem::remove(drive / "index.dat");
    std::fstream out(drive / "index.dat", std::ios::binary | std::ios::out);
    for (const auto& [offset, length] : shape->DataRanges()) {
      std::string bytes(static_cast<std::size_t>(length), '\0');
      (void)shape->ReadAt(offset, std::as_writable_bytes(std::span(bytes)));
      out.seekp(static_cast<std::streamoff>(offset));
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    out.close();
    std::filesystem::resize_file(drive / "index.dat", shape->Size());
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
    // What a screen of the viewer asks for: 40 rows' time texts; read once more, counting
    // the bytes the file gives.
    morvel::IndexDatRows found;
    auto opened = files.OpenForReading("C:\\index.dat");
    const CountingReader counted(*opened.value);
    morvel::ReadIndexDat(counted, 0, found, nullptr);
    const double screen = BestMilliseconds(rounds, [&] {
      std::size_t length = 0;
      for (std::size_t i = 0; i < std::min<std::size_t>(40, found.size()); ++i)
        length += morvel::LastModifiedText(system, found.FileTime(i)).size();
      return length;
    });
    std::cout << "read_ms=" << walk << "\nscreen_ms=" << screen << "\nrows=" << rows
              << "\nmemory=" << memory << "\npeak_kb=" << PeakResidentKb()
              << "\nbytes_read=" << counted.bytes_read << "\n";
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
  std::cerr << "usage: index_dat_timing generate IMAGE [RECORDS] [shuffled] | sparse IMAGE "
               "SHAPE | time IMAGE [ROUNDS] | wipe IMAGE [ROUNDS]\n";
  return 2;
}
