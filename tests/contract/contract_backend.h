#pragma once
// What the port's contract suite needs from a backend: the port's parts, a scratch
// registry key and folder of its own, and an arranger for what the port cannot do itself.
// The emulated machine and the real Win32 machine each provide one (contract_emulated.cpp,
// contract_win32.cpp); the tests are the same for both.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::contract {

// Returned by an arranger step: nullopt when done, else why this backend cannot do it
// here (the test is then skipped with that reason). Unexpected failures throw.
using SkipReason = std::optional<std::string>;

class Backend {
 public:
  virtual ~Backend() = default;

  // The port's parts. An arranger step may reopen the machine, so take them afresh after
  // one rather than keeping references across it.
  virtual platform::Registry& registry() = 0;
  virtual platform::FileSystem& files() = 0;
  virtual platform::SystemInfo& system() = 0;
  virtual platform::WindowSystem& windows() = 0;

  // A key below HKEY_CURRENT_USER that does not exist yet, and an existing empty folder
  // (Windows path, no trailing "\"); both are removed when the backend is destroyed.
  virtual std::string scratch_key() const = 0;
  virtual std::string scratch_folder() const = 0;

  // Makes `link` a symbolic link (or, failing that, a junction) to `target`, a folder
  // when `folder` is true.
  virtual SkipReason MakeLink(std::string_view link, std::string_view target, bool folder) = 0;
  // Makes `link` a second name (hard link) of the existing file `target`.
  virtual SkipReason MakeHardLink(std::string_view link, std::string_view target) = 0;
  // Keeps the file in use until the end, as a running program holds its files (a browser
  // its index.dat): open for reading and writing, shared for reading and writing only, so
  // that others can read it but neither open it exclusively, replace nor delete it.
  virtual SkipReason LockFile(std::string_view path) = 0;
  // Sets the file's attributes (platform::attr bits: ReadOnly, Hidden, System).
  virtual SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) = 0;
  // Opens a hidden top-level window of a class of that name until the end.
  virtual SkipReason OpenWindow(std::string_view class_name) = 0;
  // Makes the user's temporary folder `path` (without a trailing "\"; it need not exist)
  // until the end.
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

  // The version the machine is set up to report, when the backend decides it.
  virtual std::optional<platform::WindowsVersion> ExpectedVersion() const = 0;
  // Why the shell does not delete read-only files here, if it does not.
  virtual SkipReason ShellKeepsReadOnlyFiles() const = 0;
  // Why registry values do not come back in creation order here, if they do not.
  virtual SkipReason ValueOrderUnsupported() const = 0;
  // Why emptying every recycle bin here could empty bins that are not the tests' own
  // (a real user's, or the Wine host user's trash), if it could.
  virtual SkipReason RecycleBinsNotPrivate() const = 0;
  // Why the shell does not count and empty deleted folders as it does files here, if not.
  virtual SkipReason RecycleBinFoldersUnsupported() const = 0;
  // Whether a broken DeleteTree of a root could only harm a throwaway machine.
  virtual bool IsThrowawayMachine() const = 0;
};

// A fresh backend for one test; `test_name` names its scratch key and folder.
std::unique_ptr<Backend> MakeBackend(const std::string& test_name);

}  // namespace morvel::contract
