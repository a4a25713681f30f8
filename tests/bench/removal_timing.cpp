// removal_timing generate IMAGE FILES FOLDERS  -- a machine image whose C:\Bench holds FILES
//                                                files spread over FOLDERS sub-folders
// removal_timing test IMAGE                    -- Test (Fast Mode on) of C:\Bench
// removal_timing clean IMAGE                   -- Clean of C:\Bench (the folder itself stays)
// removal_timing verified IMAGE                -- that Clean, then its verify pass (a Test that
//                                                asks every entry whether it would stay)
// removal_timing wipe IMAGE NAME               -- one overwrite pass over C:\NAME
// Each prints "name=value" lines: the milliseconds of the operation, what it counted, and
// the process's peak resident memory in KB. The companion of scripts/bench-removal.sh,
// which times find, rm -rf and dd on the same trees.

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "engine/executor.h"
#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "platform/emulated/machine.h"
#include "tests/bench/bench_run.h"

namespace {

namespace fs = std::filesystem;
using morvel::RunMode;
using Clock = std::chrono::steady_clock;

using morvel::bench::BenchRun;

long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int Generate(const fs::path& image, long files, long folders) {
  const fs::path bench = image / "drives" / "C" / "Bench";
  fs::create_directories(bench);
  std::ofstream(image / "machine.ini") << "[System]\r\nPlatform=NT\r\n";
  const std::string bytes(4096, 'x');
  for (long i = 0; i < files; ++i) {
    char folder[32];
    char name[32];
    std::snprintf(folder, sizeof folder, "folder%04ld", i % folders);
    std::snprintf(name, sizeof name, "file%06ld.tmp", i);
    if (i < folders) fs::create_directory(bench / folder);
    // Sizes from 0 to 4 KB, so the byte total means something.
    std::ofstream(bench / folder / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>((i * 37) % 4097));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && argc == 5)
    return Generate(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  if ((mode == "test" || mode == "clean" || mode == "verified" || mode == "wipe") && argc >= 3) {
    auto machine = morvel::platform::emulated::EmulatedMachine::Open(argv[2]);
    BenchRun run(*machine, mode == "test" ? RunMode::Test : RunMode::Clean);
    const morvel::Action bench(morvel::FolderAction(morvel::InFolder("C:\\Bench")));
    const auto start = Clock::now();
    morvel::Tally tally;
    morvel::Tally verified;
    if (mode == "wipe") {
      if (argc < 4) return 2;
      const auto drive = morvel::HoldFolder(run, "C:\\");
      if (!drive) return 1;
      morvel::OverwriteListedFile(run, *drive, argv[3], "C:\\", 1);
    } else {
      // The Bench folder emptied as an item's folder action does it; the folder stays.
      morvel::Executor executor(run);
      tally = executor.Run(bench);
      if (mode == "verified") {
        BenchRun verify(*machine, RunMode::Test, true);
        morvel::Executor looks_again(verify);
        verified = looks_again.Run(bench);
      }
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::cout << "ms=" << ms << "\ncount=" << tally.items << "\nbytes=" << tally.bytes
              << "\npeak_kb=" << PeakKb() << "\nverified_count=" << verified.items
              << "\nverified_left=" << verified.left.size() << "\n";
    return 0;
  }
  std::cerr << "usage: removal_timing generate IMAGE FILES FOLDERS | test IMAGE | clean IMAGE |"
               " verified IMAGE | wipe IMAGE NAME\n";
  return 2;
}
