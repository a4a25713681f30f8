#include "platform/win32/win32_machine.h"

#include "platform/win32/win32_autorun.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_pstore.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_write_leftovers.h"

namespace morvel::platform::win32 {
namespace {

class RealMachine final : public Win32Machine {
 public:
  RealMachine()
      : registry_(MakeWin32Registry()),
        files_(MakeWin32FileSystem()),
        system_(MakeWin32SystemInfo()),
        windows_(MakeWin32WindowSystem()),
        pstore_(MakeWin32ProtectedStorage()),
        internet_(MakeWin32Internet()),
        logon_tasks_(MakeWin32LogonTasks()) {}

  Registry& registry() override { return *registry_; }
  FileSystem& files() override { return *files_; }
  SystemInfo& system() override { return *system_; }
  WindowSystem& windows() override { return *windows_; }
  ProtectedStorage& protected_storage() override { return *pstore_; }
  Internet& internet() override { return *internet_; }
  LogonTasks& logon_tasks() override { return *logon_tasks_; }

 private:
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<SystemInfo> system_;
  std::unique_ptr<WindowSystem> windows_;
  std::unique_ptr<ProtectedStorage> pstore_;
  std::unique_ptr<Internet> internet_;
  std::unique_ptr<LogonTasks> logon_tasks_;
};

}  // namespace

std::unique_ptr<Win32Machine> Win32Machine::Open() {
  auto machine = std::make_unique<RealMachine>();
  // Whole-file writes of an earlier run killed halfway (settings.ini, Clist.dat, Cookies.dat
  // beside the program; Wininit.ini in the Windows folder) leave their temporaries there.
  RemoveWriteLeftovers(machine->system().ExecutableFolder());
  RemoveWriteLeftovers(machine->system().WindowsFolder());
  return machine;
}

}  // namespace morvel::platform::win32
