// The special step of "Instant Messengers - MSN Messenger": the message log folder, read
// from the first passport whose setting names an existing folder, and "My Received Files"
// in the user's documents; each emptied (it stays), neither twice.

#include <string>

#include "common/text.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"
#include "engine/special_steps.h"

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

// The first passport's "MessageLogPath" that names an existing folder; empty when none does.
std::string FindMessageLogFolder(RunContext& run) {
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

}  // namespace

Tally CleanMsnMessenger(Executor& executor) {
  RunContext& run = executor.run();
  std::string log_folder = WithBackslash(FindMessageLogFolder(run));
  // Without a documents folder there is no received-files folder, never one on the root
  // of the current drive.
  std::string received = GetMyDocumentsFolder(run);
  if (!received.empty()) received += "My Received Files\\";

  // The registry value is another program's word: a log folder that is really a drive root,
  // the profile or a folder of the user's own files is left alone.
  Tally tally;
  if (SkipGuardedFolder(run, log_folder)) {
    tally.Leave({log_folder, LeftReason::Refused});
    log_folder.clear();
  }
  // No file is listed twice: a folder inside the other (or the same folder, in whatever
  // letter case) is left to the scan of the outer one, which takes its files anyway.
  // Messenger's own default puts the logs inside "My Received Files".
  if (IsWithin(received, log_folder)) {
    received.clear();
  } else if (IsWithin(log_folder, received)) {
    log_folder.clear();
  }
  // Each emptied, the folder staying, every file logged.
  if (!log_folder.empty()) tally.Add(executor.Run(Action(FolderAction(InFolder(log_folder)))));
  if (!received.empty())
    tally.Add(executor.Run(Action(FolderAction(Below(Anchor::Personal, {"My Received Files"})))));
  return tally;
}

}  // namespace morvel
