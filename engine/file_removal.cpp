// Removing and overwriting single files. The folder scans are in file_removal_scan.cpp.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <random>
#include <span>
#include <string>

#include "common/windows_names.h"
#include "engine/file_removal.h"

namespace morvel {

namespace {

constexpr std::size_t kWipeBlock = 4096;
// The overwrite works on files below 2 GB only, as the 32-bit file routines it follows did.
constexpr std::uint64_t kWipeLimit = std::uint64_t{1} << 31;

int PassesFromSettings(const TOptionsSetting& options) {
  const std::int32_t passes = options.OverwriteNumber;
  return passes >= 1 && passes <= 10 ? passes : 1;
}

}  // namespace

bool RemoveFile(RunContext& run, std::string_view path, bool log) {
  return RemoveFileNamed(run, path, path, log);
}

bool RemoveFileNamed(RunContext& run, std::string_view shown, std::string_view exact, bool log) {
  if (log && !run.options().FastScan) {
    // Written before any attempt: the line stays whether the deletion works or not.
    std::string line = run.LogPrefix();
    line += "deleting ";
    line += shown;
    run.AppendLog(line);
    run.ScrollLog(50);
  }
  if (run.IsTestMode()) return true;
  if (run.options().OverwriteFile && !IsFileInUse(run, exact))
    WipeFile(run, exact, PassesFromSettings(run.options()));
  // Read-only, hidden and system files go to the shell as they are: with "yes to all" it
  // deletes them, and nothing goes to the Recycle Bin.
  return run.port().files.ShellDelete(exact).ok();
}

bool RemoveListedFile(RunContext& run, std::string_view folder, std::string_view name, bool log) {
  std::string shown(folder);
  if (shown.empty() || shown.back() != '\\') shown += '\\';
  shown += name;
  return RemoveFileNamed(run, shown, LiteralPath(shown), log);
}

bool IsFileInUse(RunContext& run, std::string_view path) {
  platform::FileSystem& files = run.port().files;
  if (!files.Exists(path)) return false;
  return !files.OpenExclusive(path).ok();
}

void WipeFile(RunContext& run, std::string_view path, int passes) {
  if (run.IsTestMode()) return;
  platform::FileSystem& files = run.port().files;
  if (!files.Exists(path)) return;

  std::mt19937 random(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  // 255 values: the byte 255 itself is never written.
  std::uniform_int_distribution<int> byte_value(0, 254);
  std::array<std::byte, kWipeBlock> buffer{};

  for (int pass = 1; pass <= passes; ++pass) {
    buffer.fill(static_cast<std::byte>(byte_value(random)));
    // Never through a link, and never a file with other names: its data is theirs too.
    auto opened = files.OpenToOverwrite(path);
    if (!opened.ok() || !opened.value) return;
    platform::FileWriter& file = *opened.value;
    const auto links = file.LinkCount();
    if (!links.ok() || links.value != 1) return;
    const auto length = file.Size();
    if (!length.ok() || length.value >= kWipeLimit) return;
    // Over the existing length only: nothing is appended or cut off.
    for (std::uint64_t offset = 0; offset < length.value; offset += kWipeBlock) {
      const std::size_t block =
          static_cast<std::size_t>(std::min<std::uint64_t>(kWipeBlock, length.value - offset));
      if (!file.WriteAt(offset, std::span<const std::byte>(buffer.data(), block)).ok()) return;
    }
    if (!file.Flush().ok()) return;
  }
}

}  // namespace morvel
