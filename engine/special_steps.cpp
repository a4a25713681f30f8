#include "engine/special_steps.h"

#include "engine/folder_guard.h"

namespace morvel {

namespace {

// An entry the definition file holds that is never carried out: its line, and it is left.
Tally RefuseEntry(Executor& executor, const Special& special) {
  LogSkipped(executor.run(), special.file, special.reason);
  Tally tally;
  tally.Leave({special.file, LeftReason::Refused});
  return tally;
}

}  // namespace

Tally RunSpecial(Executor& executor, const Special& special) {
  switch (special.step) {
    case SpecialStep::ClearingNotice:
      return ClearingNotice(executor, special);
    case SpecialStep::RecycleBin:
      return EmptyRecycleBin(executor);
    case SpecialStep::Clipboard:
      return EmptyClipboard(executor);
    case SpecialStep::TypedUrlLines:
      return ListTypedUrls(executor);
    case SpecialStep::UrlHistory:
      return CleanUrlHistory(executor);
    case SpecialStep::UrlCache:
      return CleanUrlCache(executor);
    case SpecialStep::HistoryFolders:
      return CleanHistoryFolders(executor);
    case SpecialStep::IndexDatWipe:
      return WipeIndexDatIn(executor, special);
    case SpecialStep::IndexDatFiles:
      return CleanIndexDatFiles(executor);
    case SpecialStep::IeCookies:
      return CleanIeCookies(executor);
    case SpecialStep::IeAutocomplete:
      return CleanIeAutocomplete(executor);
    case SpecialStep::MsnMessenger:
      return CleanMsnMessenger(executor);
    case SpecialStep::DatabaseTable:
      return EmptyDatabaseTables(executor, special);
    case SpecialStep::HistoryIndexes:
      return CleanHistoryIndexes(executor, special);
    case SpecialStep::RefusedEntry:
      return RefuseEntry(executor, special);
  }
  return {};
}

}  // namespace morvel
