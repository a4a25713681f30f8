#pragma once
// The machine the Windows, Advanced, Office and messenger cleaner tests run on: a fresh
// Windows 7 machine image natively (cleaners_emulated.cpp), the Wine prefix's real
// registry and folders under Wine (cleaners_win32.cpp). The tests are the same for both;
// they arrange traces through the port at the places the cleaners look.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::cleaners_test {

class Machine {
 public:
  // Before the test, the real machine is made to hold no trace the cleaners look for:
  // their registry keys and values are deleted and their folders emptied (the temporary,
  // Recent and Office Recent folders, memory.dmp and MiniDump of the Windows folder,
  // File*.chk of the system folder), with the system's own functions, not the code under
  // test.
  virtual ~Machine() = default;

  virtual platform::Registry& registry() = 0;
  virtual platform::FileSystem& files() = 0;
  virtual platform::SystemInfo& system() = 0;
  virtual platform::WindowSystem& windows() = 0;

  // A throwaway image: tests that empty recycle bins or walk whole drives run only here.
  virtual bool IsEmulated() const = 0;

  // The registry as stored after saving (the emulated machine's registry.reg); nullopt
  // where the registry is not a file of ours.
  virtual std::optional<std::string> SavedRegistry() = 0;

  // Puts text on the clipboard; a reason when this machine cannot.
  virtual std::optional<std::string> PutClipboardText(std::string_view text) = 0;
  // Whether the clipboard holds anything; nullopt when it cannot be told.
  virtual std::optional<bool> ClipboardHoldsData() = 0;
};

std::unique_ptr<Machine> MakeMachine(const std::string& test_name);

}  // namespace morvel::cleaners_test
