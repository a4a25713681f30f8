// The file leaf of the folder actions: overwriting and deleting one listed file.

#include "engine/file_removal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <random>
#include <span>

#include "engine/write_door.h"

namespace morvel {

namespace {

using platform::ErrorKind;

constexpr std::size_t kWipeBlock = 4096;
// The overwrite works on files below 2 GB only, as the 32-bit file routines it follows did.
constexpr std::uint64_t kWipeLimit = std::uint64_t{1} << 31;

int PassesFromSettings(const TOptionsSetting& options) {
  const std::int32_t passes = options.OverwriteNumber;
  return passes >= 1 && passes <= 10 ? passes : 1;
}

// Written before any attempt: the line stays whether the deletion works or not. Nothing is
// put together in Fast Mode.
void LogDeleting(RunContext& run, std::string_view shown_folder, std::string_view name, bool log) {
  if (!log || run.FastLog()) return;
  std::string line = run.LogPrefix();
  line += "deleting ";
  line += shown_folder;
  line += name;
  run.AppendLog(line);
  run.ScrollLog(50);
}

// Why a file that Windows will not delete stays.
LeftReason ReasonOf(ErrorKind kind) {
  return kind == ErrorKind::InUse ? LeftReason::InUse : LeftReason::AccessDenied;
}

// What a Clean's deletion of `entry` would meet now, asked without changing anything: the
// exclusive open that the overwrite uses. Another program's hold is a sharing violation
// for both. A read-only file refuses writing but not the shell's deletion, which takes it
// as it is; a file gone or swapped for a link meanwhile would not stay either.
std::optional<LeftReason> WouldStay(platform::FolderHandle& folder,
                                    const platform::FileEntry& entry) {
  const auto opened = folder.OpenFileToOverwrite(entry.name);
  if (opened.ok()) return std::nullopt;
  switch (opened.status.kind) {
    case ErrorKind::NotFound:
    case ErrorKind::Link:
      return std::nullopt;
    case ErrorKind::AccessDenied:
      if ((entry.attributes & platform::attr::ReadOnly) != 0) return std::nullopt;
      return LeftReason::AccessDenied;
    default:
      return ReasonOf(opened.status.kind);
  }
}

}  // namespace

bool AskBeforeRemoving(RunContext& run, const std::string& text) {
  const platform::Question question{text, "Morvel", platform::Buttons::YesNo,
                                    platform::Icon::Information, platform::Answer::No};
  return run.port().questions.Ask(question) == platform::Answer::Yes;
}

// Only a name of the folder itself may be joined to its path: whatever the enumeration
// returns, nothing built from it can point above or beside the folder.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string_view::npos;
}

bool ShowsFileLines(RunContext& run, LogClass log) {
  if (run.FastLog()) return false;
  switch (log) {
    case LogClass::Always:
      return true;
    case LogClass::TempInternetFiles:
      return run.options().ShowLogTempInternetFiles;
    case LogClass::RecycleBin:
      return run.options().ShowLogRecycleBin;
    case LogClass::Never:
      break;
  }
  return false;
}

void OverwriteListedFile(RunContext& run, platform::FolderHandle& folder, std::string_view name,
                         std::string_view shown_folder, int passes) {
  std::mt19937 random(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  // 255 values: the byte 255 itself is never written.
  std::uniform_int_distribution<int> byte_value(0, 254);
  std::array<std::byte, kWipeBlock> buffer{};
  const std::string shown = std::string(shown_folder) + std::string(name);

  for (int pass = 1; pass <= passes; ++pass) {
    buffer.fill(static_cast<std::byte>(byte_value(random)));
    // Opened afresh for each pass; exclusive, so a file in use is not written.
    const std::unique_ptr<platform::FileWriter> opened =
        PassWriteDoor(run, shown, folder.OpenFileToOverwrite(name), WriteRefusal::Quiet);
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

void RemoveListedFile(Executor& executor, platform::FolderHandle& folder,
                      const platform::FileEntry& entry, std::string_view shown_folder, bool log,
                      Tally& tally) {
  RunContext& run = executor.run();
  LogDeleting(run, shown_folder, entry.name, log);
  auto leave = [&](LeftReason reason) {
    tally.Leave({std::string(shown_folder) + entry.name, reason, 1, entry.size});
  };
  if (run.IsTestMode()) {
    tally.Count(entry.size);
    executor.Counted(1);
    executor.ReportProgress();
    if (run.ProbesWhatStays())
      if (const auto stays = WouldStay(folder, entry)) leave(*stays);
    return;
  }
  // Read-only, hidden and system files go as they are: the shell says "yes" to all, and
  // nothing goes to the Recycle Bin.
  if (run.options().OverwriteFile)
    OverwriteListedFile(run, folder, entry.name, shown_folder, PassesFromSettings(run.options()));
  const platform::Status deleted = folder.DeleteListedFile(entry.name);
  if (deleted.ok()) {
    tally.Count(entry.size);
    executor.Counted(1);
    executor.ReportProgress();
  } else if (deleted.kind != ErrorKind::NotFound) {
    leave(ReasonOf(deleted.kind));
  }
}

}  // namespace morvel
