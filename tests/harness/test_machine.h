#pragma once
// The machine every two-backend suite runs on: natively a fresh emulated machine image
// per test (test_machine_emulated.cpp), under Wine the real Win32 backend on the project's
// private prefix (test_machine_win32.cpp). A suite describes its machine once, as a
// MachineSetup; the tests are the same on both backends.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/internet.h"
#include "platform/logon_tasks.h"
#include "platform/protected_storage.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::testing {

// Returned by an arranger step: nullopt when done, else why this backend cannot do it
// here (the test is then skipped with that reason). Unexpected failures throw.
using SkipReason = std::optional<std::string>;

// The programs of 64-bit Windows, each of which sees its own registry view.
enum class ProgramWidth { Bits64, Bits32 };

struct MachineSetup {
  // Names the parents of the scratch key (below HKEY_CURRENT_USER and
  // HKEY_LOCAL_MACHINE\Software) and of the scratch folder (below C:\Temp on the image,
  // the temp folder on Windows); empty: the suite has no scratch.
  std::string scratch;
  // The image's machine.ini, before the sections the arrangers write ([Locked],
  // [Folders] Temp, [Windows]), and its registry.reg ("" for none).
  std::string machine_ini = "[System]\r\nPlatform=NT\r\n";
  std::string registry_reg;
  // Folders made on the image, relative to it ("drives/C/Windows").
  std::vector<std::string> image_folders;
  // Whether every folder the machine's facts name (Windows, temp, special folders) is made.
  bool machine_folders = false;
  // What the machine is set up to report as its version, when the suite decides it.
  std::optional<platform::WindowsVersion> version;
  // Locked files are shared for reading and writing, as a browser holds its index.dat;
  // otherwise nobody else may even read them.
  bool locks_share_read_write = false;
  // On Windows: before and after each test, the traces the cleaners look for are removed
  // with the system's own functions. Only on a machine that is there for it (a prefix
  // started by scripts/wine-run): anywhere else the machine refuses to start.
  bool remove_cleaner_traces = false;
};

class TestMachine {
 public:
  virtual ~TestMachine() = default;

  // The port's parts. An arranger step may reopen the machine, so take them afresh after
  // one rather than keeping references across it.
  virtual platform::Registry& registry() = 0;
  virtual platform::FileSystem& files() = 0;
  virtual platform::SystemInfo& system() = 0;
  virtual platform::WindowSystem& windows() = 0;
  virtual platform::ProtectedStorage& protected_storage() = 0;
  virtual platform::Internet& internet() = 0;
  // The real scheduler on Windows: a test registers only tasks of names of its own.
  virtual platform::LogonTasks& logon_tasks() = 0;
  virtual platform::EventLog& events() = 0;

  // A key path that does not exist yet (the test may create it under HKEY_CURRENT_USER and
  // HKEY_LOCAL_MACHINE), and an existing empty folder (Windows path, no trailing "\");
  // both are removed at the end.
  [[nodiscard]] virtual std::string scratch_key() const = 0;
  [[nodiscard]] virtual std::string scratch_folder() const = 0;

  // An emulated image that a test may wreck (drive roots, My Documents, every bin).
  [[nodiscard]] virtual bool IsEmulated() const = 0;
  // Whether a broken DeleteTree of a root could only harm a throwaway machine (an image,
  // or the project's Wine prefix).
  [[nodiscard]] virtual bool IsThrowawayMachine() const = 0;

  // The registry as stored after saving (the image's registry.reg); nullopt where the
  // registry is not a file of ours.
  virtual std::optional<std::string> SavedRegistry() = 0;

  // Makes `link` a symbolic link (or, failing that, a junction) to `target`, a folder
  // when `folder` is true.
  virtual SkipReason MakeLink(std::string_view link, std::string_view target, bool folder) = 0;
  // Makes `link` a second name (hard link) of the existing file `target`.
  virtual SkipReason MakeHardLink(std::string_view link, std::string_view target) = 0;
  // Keeps the file in use until UnlockFiles or the end (sharing as the setup says), so
  // that it can be neither opened exclusively nor deleted.
  virtual SkipReason LockFile(std::string_view path) = 0;
  virtual void UnlockFiles() = 0;
  // Sets the file's attributes (platform::attr bits: ReadOnly, Hidden, System). The image
  // knows ReadOnly alone and skips when asked for nothing else; where read-only is not
  // enforced the file is left normal and the step skips.
  virtual SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) = 0;
  // Opens a hidden top-level window of a class of that name until the end.
  virtual SkipReason OpenWindow(std::string_view class_name) = 0;
  // Makes the user's temporary folder `path` (no trailing "\"; need not exist) until the end.
  virtual SkipReason SetTempFolder(std::string_view path) = 0;
  // Puts text on the clipboard.
  virtual SkipReason PutClipboardText(std::string_view text) = 0;
  // Keeps the clipboard open elsewhere (another thread, as a program that is pasting)
  // until the end, so that opening it fails.
  virtual SkipReason HoldClipboardOpen() = 0;
  // Whether the clipboard holds anything; nullopt when this backend cannot tell.
  virtual std::optional<bool> ClipboardHoldsData() = 0;
  // Moves a file or folder into its drive's recycle bin, as deleting it in Explorer does.
  virtual SkipReason MoveToRecycleBin(std::string_view path) = 0;
  // Adds an entry for `url` to the URL cache (CommitUrlCacheEntry of a small file), or to
  // the URL history store (IUrlHistoryStg::AddUrl).
  virtual SkipReason AddUrlCacheEntry(std::string_view url) = 0;
  virtual SkipReason AddUrlHistoryEntry(std::string_view url) = 0;
  // Makes the Protected Storage the one `pstore_ini` describes (the image's format).
  virtual SkipReason PutProtectedStorage(std::string_view pstore_ini) = 0;
  // Makes HKEY_LOCAL_MACHINE refuse changes, as for a user without administrator rights;
  // false where the backend cannot.
  virtual bool DenyLocalMachineChanges() = 0;
  // Makes the machine a 64-bit Windows: a registry with the 32-bit programs' view
  // (HKEY_LOCAL_MACHINE\Software\WOW6432Node), their Program Files folder in
  // "ProgramFilesDir (x86)", and SysWOW64 beside System32, all there. The image becomes
  // one; a real Windows is one, or the step skips.
  virtual SkipReason BecomeWindows64() = 0;
  // Writes the string value `name` into the key `path` below HKEY_LOCAL_MACHINE as a
  // program of that width sees it (making the key), and tells whether it is there; on
  // 64-bit Windows (BecomeWindows64) only.
  virtual void PutValueAs(ProgramWidth width, std::string_view path, std::string_view name,
                          std::string_view text) = 0;
  virtual bool HoldsValueAs(ProgramWidth width, std::string_view path, std::string_view name) = 0;

  // The version the machine is set up to report, when the setup decides it.
  [[nodiscard]] virtual std::optional<platform::WindowsVersion> ExpectedVersion() const = 0;
  // Why the shell does not delete read-only files here, if it does not.
  [[nodiscard]] virtual SkipReason ShellKeepsReadOnlyFiles() const = 0;
  // Why registry values do not come back in creation order here, if they do not.
  [[nodiscard]] virtual SkipReason ValueOrderUnsupported() const = 0;
  // Why emptying every recycle bin here could empty bins that are not the tests' own.
  [[nodiscard]] virtual SkipReason RecycleBinsNotPrivate() const = 0;
  // Why the shell does not count and empty deleted folders as it does files here, if not.
  [[nodiscard]] virtual SkipReason RecycleBinFoldersUnsupported() const = 0;
};

// A fresh machine for one test; `test_name` names its scratch key and folder.
std::unique_ptr<TestMachine> MakeTestMachine(const MachineSetup& setup,
                                             const std::string& test_name);

}  // namespace morvel::testing
