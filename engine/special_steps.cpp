#include "engine/special_steps.h"

namespace morvel {

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
  }
  return {};
}

}  // namespace morvel
