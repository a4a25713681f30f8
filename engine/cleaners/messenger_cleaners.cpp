#include "engine/cleaners/messenger_cleaners.h"

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"

namespace morvel {

namespace {

using platform::RootKey;
using platform::ValueType;

constexpr const char* kPassports = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings";

// Whether `inner` is `outer` or lies below it; both end with "\\", letter case ignored.
bool IsWithin(std::string_view inner, std::string_view outer) {
  return !inner.empty() && !outer.empty() && inner.size() >= outer.size() &&
         SameText(inner.substr(0, outer.size()), outer);
}

bool FolderExists(RunContext& run, const std::string& path) {
  if (path.empty()) return false;
  const auto entry = run.port().files.Stat(path);
  return entry.ok() && entry.value.IsFolder();
}

// Empties the folder, which stays, logging each file.
std::uint64_t EmptyFolder(RunContext& run, const std::string& folder) {
  return CleanFolder(run, folder, /*remove_folder=*/false, /*log=*/true, "", run.ItemCount());
}

}  // namespace

std::string FindMsnMessageLogFolder(RunContext& run) {
  const platform::Registry& registry = run.port().registry;
  const auto passports =
      registry.SubKeyNames(RootKey::CurrentUser, kPassports, platform::Access::Read);
  if (!passports.ok()) return {};
  for (const std::string& passport : passports.value) {
    if (run.Terminated()) break;
    const auto value = registry.ReadValue(
        RootKey::CurrentUser, std::string(kPassports) + "\\" + passport, "MessageLogPath");
    // Only text counts; a binary or numeric value is not a path.
    if (!value.ok() ||
        (value.value.type != ValueType::String && value.value.type != ValueType::ExpandString))
      continue;
    const std::string path = value.value.AsText().value_or(std::string());
    if (FolderExists(run, path)) return path;
  }
  return {};
}

void CleanMsnMessenger(RunContext& run) {
  std::string log_folder = FindMsnMessageLogFolder(run);

  platform::SystemInfo& system = run.port().system;
  system.EndBrowserSession();
  const std::string documents = system.SpecialFolderPath(platform::SpecialFolder::Personal);
  // Without a documents folder there is no received-files folder, never one on the root
  // of the current drive.
  std::string received =
      documents.empty() ? std::string() : WithBackslash(documents) + "My Received Files\\";

  log_folder = WithBackslash(log_folder);
  // The registry value is another program's word: a log folder that is really a drive root,
  // the profile or a folder of the user's own files is left alone.
  if (SkipGuardedFolder(run, log_folder)) log_folder.clear();
  // No file is listed twice: a folder inside the other (or the same folder, in whatever
  // letter case) is left to the scan of the outer one, which takes its files anyway.
  // Messenger's own default puts the logs inside "My Received Files".
  if (IsWithin(received, log_folder)) {
    received.clear();
  } else if (IsWithin(log_folder, received)) {
    log_folder.clear();
  }

  std::uint64_t bytes = 0;
  if (FolderExists(run, log_folder)) bytes += EmptyFolder(run, log_folder);
  if (FolderExists(run, received)) bytes += EmptyFolder(run, received);
  SetItemBytes(run, bytes);
}

void CleanYahooMessenger(RunContext& run) {
  // In either Program Files folder on 64-bit Windows; none when the registry names none.
  std::uint64_t bytes = 0;
  for (const std::string& programs : platform::ProgramFilesFolders(run.port().registry)) {
    const std::string messenger = WithBackslash(programs) + "Yahoo!\\Messenger";
    bytes += CleanFileByName(run, messenger, "ypager.log", run.ItemCount());
    bytes += EmptyFolder(run, messenger + "\\IMVCache");
    bytes += EmptyFolder(run, messenger + "\\Profiles");
  }
  SetItemBytes(run, bytes);
}

void CleanSkype(RunContext& run) {
  const std::string app_data = GetAppDataFolder(run);
  std::uint64_t bytes = 0;
  if (FolderExists(run, app_data))
    bytes = CleanFolderByMask(run, app_data + "Skype", "*.dbb", run.ItemCount(), true);
  SetItemBytes(run, bytes);
}

}  // namespace morvel
