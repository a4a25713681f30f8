#include "engine/cleaners/database_step.h"

#include <chrono>
#include <string>

#include "engine/folder_guard.h"
#include "stores/sqlite_database.h"

namespace morvel {

namespace {

// Long past what emptying any real browser's table takes; a statement still running then
// is caught in something the file was made to do, and is ended.
constexpr std::chrono::seconds kStatementLimit{60};

// The write door's line for a file SQLite was not let open.
void LogRefusal(RunContext& run, std::string_view shown_folder,
                const stores::FileRefusal& refusal) {
  if (refusal.kind == platform::ErrorKind::None) return;
  std::string path(shown_folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += refusal.name;
  LogSkipped(run, path,
             refusal.kind == platform::ErrorKind::Link
                 ? "a link is never written through"
                 : "a file with more than one name is never written");
}

}  // namespace

bool EmptyDatabaseTable(RunContext& run, platform::FolderHandle& folder,
                        std::string_view shown_folder, std::string_view file_name,
                        std::string_view table) {
  if (run.IsTestMode()) return false;
  const auto entry = folder.StatEntry(file_name);
  if (!entry.ok() || (entry.value.IsFolder() && !entry.value.IsReparsePoint())) return false;
  stores::FileRefusal refusal;
  try {
    stores::TSQLiteDatabase db(folder, std::string(file_name), refusal);
    db.Distrust();
    const auto deadline = std::chrono::steady_clock::now() + kStatementLimit;
    db.SetStopCheck([&run, deadline] {
      return run.Terminated() || std::chrono::steady_clock::now() > deadline;
    });
    if (!db.HasTable(std::string(table))) return false;
    db.RunStatement("DELETE FROM " + std::string(table));
    return true;
  } catch (const stores::ESQLiteException&) {
    // A browser holding the file, a damaged one, a statement stopped, or one of its files
    // refused: this database's step ends, no more. A failed statement is rolled back by
    // SQLite, so the file stays as it was.
    LogRefusal(run, shown_folder, refusal);
    return false;
  }
}

}  // namespace morvel
