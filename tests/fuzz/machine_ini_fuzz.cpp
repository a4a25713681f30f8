// machine.ini on arbitrary bytes: facts that hold for any machine, or one line naming the
// file and the line at fault.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/emulated/machine.h"
#include "platform/emulated/machine_facts.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace morvel::platform::emulated;

void CheckFacts(const MachineFacts& facts) {
  // Folders are absolute paths in their normal form: parsing one gives it back.
  for (const std::string& folder : facts.folders) {
    const auto path = ParseWindowsPath(folder);
    FUZZ_CHECK(path.ok());
    FUZZ_CHECK(path.value.ToString() == folder);
  }
  for (const WindowsPath& locked : facts.locked) FUZZ_CHECK(facts.IsLocked(locked));
  for (const std::string& name : facts.window_classes) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(facts.HasWindowClass(name));
  }
  FUZZ_CHECK(facts.Drive('a') == facts.Drive('A'));
  FUZZ_CHECK(facts.Drive('[') == DriveType::None);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    CheckFacts(ParseMachineFacts(bytes, "machine.ini"));
  } catch (const MachineImageError& e) {
    const std::string message = e.what();
    FUZZ_CHECK(message.starts_with("machine.ini:"));
    FUZZ_CHECK(message.find_first_of("\r\n") == std::string::npos);
  }
  return 0;
}
