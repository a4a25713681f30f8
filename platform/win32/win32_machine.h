#pragma once
// The real Windows machine behind the port.

#include <memory>

#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/internet.h"
#include "platform/logon_tasks.h"
#include "platform/protected_storage.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::platform::win32 {

class Win32Machine {
 public:
  // The machine this process runs on. Never fails: nothing is opened until a part is used,
  // except pstorec.dll, which is loaded now (when present) and freed with the machine;
  // each part reports its own failures as port errors.
  static std::unique_ptr<Win32Machine> Open();
  virtual ~Win32Machine() = default;

  virtual Registry& registry() = 0;
  virtual FileSystem& files() = 0;
  virtual SystemInfo& system() = 0;
  virtual WindowSystem& windows() = 0;
  virtual ProtectedStorage& protected_storage() = 0;
  virtual Internet& internet() = 0;
  virtual LogonTasks& logon_tasks() = 0;
  virtual EventLog& events() = 0;
};

}  // namespace morvel::platform::win32
