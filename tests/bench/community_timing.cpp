// community_timing load [IMAGE] [ROUNDS] -- reads Winapp2.ini beside the program and detects
//                                          every entry, as each start does; natively on the
//                                          machine image IMAGE, on Windows on this machine
//                                          (the file beside this program)
// Prints "name=value" lines: the best milliseconds of ROUNDS (default 5), the entries read,
// detected and offered. The companion of scripts/bench-winapp2.sh.

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "engine/catalogue.h"
#include "engine/community/community_items.h"
#include "tests/bench/best_time.h"
#ifdef _WIN32
#include "platform/win32/win32_machine.h"
#else
#include "platform/emulated/machine.h"
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
  morvel::platform::Port port{machine->registry(), machine->files(), machine->system(),
                              machine->windows(),  questions,        machine->protected_storage(),
                              machine->internet()};
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

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "load") return Load(argc, argv);
  std::cerr << "usage: community_timing load [IMAGE] [ROUNDS]\n";
  return 2;
}
