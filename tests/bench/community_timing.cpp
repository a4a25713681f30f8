// community_timing load [IMAGE] [ROUNDS] -- reads Winapp2.ini beside the program and detects
//                                          every entry, as each start does; natively on the
//                                          machine image IMAGE, on Windows on this machine
//                                          (the file beside this program)
// community_timing generate IMAGE ENTRIES FILES -- (not on Windows) a machine image whose
//                                          Winapp2.ini holds ENTRIES programs' entries, each
//                                          detected, with FILES files among their folders;
//                                          prints the folders (";"-separated, below C:\)
// community_timing test IMAGE               -- (not on Windows) a Test of every community item
//                                          of IMAGE, Fast Mode on; prints its microseconds
//                                          and the items counted
// Prints "name=value" lines: the best milliseconds of ROUNDS (default 5), the entries read,
// detected and offered. The companion of scripts/bench-winapp2.sh.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "engine/catalogue.h"
#include "engine/community/community_cleaner.h"
#include "engine/community/community_items.h"
#include "tests/bench/best_time.h"
#ifdef _WIN32
#include "platform/win32/win32_machine.h"
#else
#include <filesystem>
#include <fstream>

#include "platform/emulated/machine.h"
#include "tests/bench/bench_run.h"
#endif

namespace {

class NoQuestions final : public morvel::platform::UserQuestions {
 public:
  morvel::platform::Answer Ask(const morvel::platform::Question&) override {
    return morvel::platform::Answer::No;
  }
};

int Load(int argc, char** argv) {
#ifdef _WIN32
  auto machine = morvel::platform::win32::Win32Machine::Open();
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
#else
  if (argc < 3) return 2;
  auto machine = morvel::platform::emulated::EmulatedMachine::Open(argv[2]);
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
#endif
  NoQuestions questions;
  morvel::platform::Port port = morvel::platform::PortOf(*machine, questions);
  std::shared_ptr<const morvel::community::CommunityItems> items;
  const double ms = morvel::bench::BestMilliseconds(rounds, [&] {
    morvel::Catalogue catalogue = morvel::Catalogue::Fixed();
    items = morvel::community::LoadCommunityItems(port, catalogue);
    return catalogue;
  });
  std::cout << "load_ms=" << ms << "\nentries=" << items->definitions().entries.size()
            << "\ndetected=" << items->detected() << "\noffered=" << items->offered() << "\n";
  return 0;
}

#ifndef _WIN32
namespace fs = std::filesystem;

void WriteFileAt(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Each program keeps half its files in a cache of ten sub-folders (all but its index go),
// three tenths in its profiles' code caches (scripts and binaries go, the rest stays), and
// a fifth in its logs (only the logs go), as programs of today do.
int Generate(const fs::path& image, int entries, long files) {
  const fs::path c = image / "drives" / "C";
  const std::string local = "Users/User/AppData/Local/", roaming = "Users/User/AppData/Roaming/";
  std::ofstream(image / "machine.ini") << "[System]\r\nPlatform=NT\r\n";
  std::ofstream(image / "registry.reg") << "Windows Registry Editor Version 5.00\r\n\r\n";
  std::string ini = "; Bench entries\r\n";
  std::string folders;
  const long each = files / entries;
  const std::string bytes(100, 'x');
  for (int e = 0; e < entries; ++e) {
    const std::string name = "Bench " + std::to_string(e);
    ini += "[" + name + " *]\r\nLangSecRef=3021\r\nDetectFile=%LocalAppData%\\" + name +
           "\r\nFileKey1=%LocalAppData%\\" + name + "\\Cache|*|RECURSE\r\n" +
           "FileKey2=%LocalAppData%\\" + name + "\\Profile*\\Code Cache|*.js;*.bin|RECURSE\r\n" +
           "FileKey3=%AppData%\\" + name + "\\logs|*.log\r\n" +
           "ExcludeKey1=FILE|%LocalAppData%\\" + name + "\\Cache\\|index\r\n";
    folders += (e ? ";" : "") + local + name + ";" + roaming + name + "/logs";
    for (long i = 0; i < each; ++i) {
      const std::string n = std::to_string(i);
      if (i < each / 2)
        WriteFileAt(c / (local + name) / "Cache" / ("d" + std::to_string(i % 10)) / ("f" + n),
                    bytes);
      else if (i < each * 8 / 10)
        WriteFileAt(c / (local + name) / ("Profile " + std::to_string(i % 3)) / "Code Cache" /
                        ("c" + n + (i % 2 ? ".js" : ".txt")),
                    bytes);
      else
        WriteFileAt(c / (roaming + name) / "logs" / ("l" + n + ".log"), bytes);
    }
    WriteFileAt(c / (local + name) / "Cache" / "index", bytes);
  }
  WriteFileAt(c / "Program Files" / "Morvel" / "Winapp2.ini", ini);
  std::cout << "folders=" << folders << "\n";
  return 0;
}

int Test(const fs::path& image) {
  auto machine = morvel::platform::emulated::EmulatedMachine::Open(image);
  morvel::bench::BenchRun run(*machine, morvel::RunMode::Test);
  morvel::platform::Port& port = run.port();
  morvel::Catalogue catalogue = morvel::Catalogue::Fixed();
  const auto items = morvel::community::LoadCommunityItems(port, catalogue);
  std::vector<std::string> keys;
  for (const morvel::community::Entry& entry : items->definitions().entries)
    if (items->Find(morvel::ItemKey(entry.category, entry.name)))
      keys.push_back(morvel::ItemKey(entry.category, entry.name));
  const auto resolve = morvel::community::ResolverWith(items);
  const auto start = std::chrono::steady_clock::now();
  morvel::Executor executor(run);
  morvel::Tally tally;
  for (const std::string& key : keys) {
    executor.BeginItem();
    tally.Add(resolve(key)(executor));
  }
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  std::cout << "test_us=" << us << "\nitems=" << tally.items << "\nentries=" << keys.size() << "\n";
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "load") return Load(argc, argv);
#ifndef _WIN32
  if (command == "generate" && argc == 5)
    return Generate(argv[2], std::atoi(argv[3]), std::atol(argv[4]));
  if (command == "test" && argc == 3) return Test(argv[2]);
#endif
  std::cerr << "usage: community_timing load [IMAGE] [ROUNDS] | generate IMAGE ENTRIES FILES | "
               "test IMAGE\n";
  return 2;
}
