// Removing and overwriting single files. The folder scans are in file_removal_scan.cpp.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>

#include "common/windows_names.h"
#include "engine/file_removal.h"
#include "engine/write_door.h"

namespace morvel {

namespace {

constexpr std::size_t kWipeBlock = 4096;
// The overwrite works on files below 2 GB only, as the 32-bit file routines it follows did.
constexpr std::uint64_t kWipeLimit = std::uint64_t{1} << 31;

int PassesFromSettings(const TOptionsSetting& options) {
  const std::int32_t passes = options.OverwriteNumber;
  return passes >= 1 && passes <= 10 ? passes : 1;
}

// Written before any attempt: the line stays whether the deletion works or not. The path
// is `shown` and `name` (empty for a whole path): nothing is put together in Fast Mode.
void LogDeleting(RunContext& run, std::string_view shown, bool log, std::string_view name = {}) {
  if (!log || run.options().FastScan) return;
  std::string line = run.LogPrefix();
  line += "deleting ";
  line += shown;
  line += name;
  run.AppendLog(line);
  run.ScrollLog(50);
}

// Overwrites the file `open` opens through the write door, `passes` times, each pass opened
// afresh: one byte value drawn from 0 to 254 per pass, over the existing length, flushed to
// the disk. Any failure ends it silently.
void OverwritePasses(const std::function<std::unique_ptr<platform::FileWriter>()>& open,
                     int passes) {
  std::mt19937 random(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  // 255 values: the byte 255 itself is never written.
  std::uniform_int_distribution<int> byte_value(0, 254);
  std::array<std::byte, kWipeBlock> buffer{};

  for (int pass = 1; pass <= passes; ++pass) {
    buffer.fill(static_cast<std::byte>(byte_value(random)));
    const std::unique_ptr<platform::FileWriter> opened = open();
    if (!opened) return;
    platform::FileWriter& file = *opened;
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

}  // namespace

bool RemoveFile(RunContext& run, std::string_view path, bool log) {
  LogDeleting(run, path, log);
  if (run.IsTestMode()) return true;
  if (run.options().OverwriteFile && !IsFileInUse(run, path))
    WipeFile(run, path, PassesFromSettings(run.options()));
  // Read-only, hidden and system files go to the shell as they are: with "yes to all" it
  // deletes them, and nothing goes to the Recycle Bin.
  return run.port().files.ShellDelete(path).ok();
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
  OverwritePasses(
      [&run, path] {
        return OpenForWriting(run, path, WriteSharing::Exclusive, WriteRefusal::Quiet);
      },
      passes);
}

bool RemoveHeldFile(RunContext& run, platform::FolderHandle& folder, std::string_view name,
                    std::string_view shown_folder, bool log) {
  LogDeleting(run, shown_folder, log, name);
  if (run.IsTestMode()) return true;
  // The exclusive open is the in-use test: a file another program holds, a read-only file
  // and a link are not overwritten.
  if (run.options().OverwriteFile) {
    const std::string shown = std::string(shown_folder) + std::string(name);
    OverwritePasses(
        [&run, &folder, name, &shown] {
          return PassWriteDoor(run, shown, folder.OpenFileToOverwrite(name), WriteRefusal::Quiet);
        },
        PassesFromSettings(run.options()));
  }
  return folder.DeleteListedFile(name).ok();
}

}  // namespace morvel
