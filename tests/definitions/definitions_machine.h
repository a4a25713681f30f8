#pragma once
// The machine the registry-removal and definition-file tests run on: the emulated machine
// natively (definitions_emulated.cpp), the real Win32 one under Wine
// (definitions_win32.cpp). The tests are the same for both.

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::definitions_test {

class Machine {
 public:
  virtual ~Machine() = default;

  virtual platform::Registry& registry() = 0;
  virtual platform::FileSystem& files() = 0;
  virtual platform::SystemInfo& system() = 0;
  virtual platform::WindowSystem& windows() = 0;

  // A key path that does not exist yet under HKEY_CURRENT_USER nor HKEY_LOCAL_MACHINE;
  // the test may create it under both, and both are removed at the end.
  virtual std::string scratch_key() const = 0;
  // An existing empty folder (Windows path, no trailing "\"), removed at the end.
  virtual std::string scratch_folder() const = 0;

  // The registry as stored on disk after saving (the emulated machine's registry.reg);
  // nullopt where the registry is not a file of ours.
  virtual std::optional<std::string> SavedRegistry() = 0;

  // A throwaway image: tests that walk a whole drive, or could harm one if the code under
  // test were wrong, run only here.
  virtual bool IsEmulated() const = 0;

  // Makes HKEY_LOCAL_MACHINE refuse changes, as it does for a user without administrator
  // rights; false where the backend cannot.
  virtual bool DenyLocalMachineChanges() = 0;
};

std::unique_ptr<Machine> MakeMachine(const std::string& test_name);

}  // namespace morvel::definitions_test
