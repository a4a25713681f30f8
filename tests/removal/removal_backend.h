#pragma once
// The machine the removal tests run on: natively a fresh emulated machine image per test,
// under Wine the real Win32 backend on a scratch folder of the prefix
// (removal_backend_emulated.cpp, removal_backend_win32.cpp). The tests are the same.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/protected_storage.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::removal_test {

// nullopt when done, else why this backend cannot do it (the test is then skipped).
using SkipReason = std::optional<std::string>;

class Backend {
 public:
  virtual ~Backend() = default;

  // The port's parts. Locking a file may reopen the machine: take them afresh afterwards.
  virtual platform::Registry& registry() = 0;
  virtual platform::FileSystem& files() = 0;
  virtual platform::SystemInfo& system() = 0;
  virtual platform::WindowSystem& windows() = 0;
  virtual platform::ProtectedStorage& protected_storage() = 0;

  // An existing empty folder of this test (no trailing "\"), removed at the end.
  [[nodiscard]] virtual std::string scratch() const = 0;

  // Keeps the file open without sharing until the end, so that it cannot be opened
  // exclusively nor deleted.
  virtual SkipReason LockFile(std::string_view path) = 0;
  // Lets go of every file locked so far.
  virtual void UnlockFiles() = 0;
  // Makes `link` a symbolic link (or junction) to the folder `target`.
  virtual SkipReason MakeFolderLink(std::string_view link, std::string_view target) = 0;
  // Sets ReadOnly, Hidden and System as given (the emulated machine knows ReadOnly only).
  // Skips, leaving the attributes as they were, where read-only is not enforced.
  virtual SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

  // Whether the machine is an emulated one that a test may wreck (drive roots, My Documents).
  [[nodiscard]] virtual bool IsEmulated() const = 0;
};

std::unique_ptr<Backend> MakeBackend(const std::string& test_name);

}  // namespace morvel::removal_test
