#pragma once
// The emulated Windows machine: one folder (the machine image) that stands for a Windows
// machine and its current user. See docs/machine-image.md for the layout.

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/emulated/machine_facts.h"
#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/internet.h"
#include "platform/logon_tasks.h"
#include "platform/protected_storage.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::platform::emulated {

// Bad input in the image: the message is one line naming the file (and line, where
// there is one), e.g. "IMAGE/registry.reg:12: value line outside a key".
class MachineImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EmulatedMachine {
 public:
  // Loads the image folder, after removing the temporary files that writes killed halfway
  // left in it. Throws MachineImageError when the folder is missing or a file in it is
  // malformed. HKEY_LOCAL_MACHINE refuses changes unless machine.ini makes the user an
  // administrator (the default).
  static std::unique_ptr<EmulatedMachine> Open(const std::filesystem::path& image);
  virtual ~EmulatedMachine() = default;

  virtual Registry& registry() = 0;
  virtual FileSystem& files() = 0;
  virtual SystemInfo& system() = 0;
  virtual WindowSystem& windows() = 0;
  virtual ProtectedStorage& protected_storage() = 0;
  virtual Internet& internet() = 0;
  virtual LogonTasks& logon_tasks() = 0;
  // Events are written to stores/events.txt at once.
  virtual EventLog& events() = 0;

  // What machine.ini says (its defaults where it is silent): folders, drives, version...
  [[nodiscard]] virtual const MachineFacts& facts() const = 0;

  // Writes registry.reg back when the registry changed since it was loaded, and
  // stores/pstore.ini when an item was deleted from it; what did not change is left
  // untouched.
  virtual void Save() = 0;

  // The host path a Windows path resolves to (the existing entry, matched without regard
  // to case, or where a new one would be made); nullopt for a drive the image lacks, a
  // malformed path or one that passes through a link.
  [[nodiscard]] virtual std::optional<std::filesystem::path> HostPath(
      std::string_view windows_path) const = 0;
};

}  // namespace morvel::platform::emulated
