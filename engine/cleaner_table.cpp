#include "engine/cleaner_table.h"

#include "engine/advanced_cleaners.h"
#include "engine/definition_file.h"
#include "engine/installed_programs.h"
#include "engine/messenger_cleaners.h"
#include "engine/office_cleaners.h"
#include "engine/windows_cleaners.h"

namespace morvel {

namespace {

// A cleaner that serves one item key and so needs only the run.
Cleaner ForItem(void (*clean)(RunContext&)) {
  return [clean](RunContext& run, std::string_view) { clean(run); };
}

}  // namespace

Cleaner CleanerFor(CleanerId id) {
  switch (id) {
    case CleanerId::CustomList:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kCustomListFile, key);
      };
    case CleanerId::DefinitionFile:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kDefinitionFile, key);
      };
    case CleanerId::RecentDocuments:
      return ForItem(CleanRecentDocuments);
    case CleanerId::StartRun:
      return ForItem(CleanStartRun);
    case CleanerId::SearchAssistant:
      return ForItem(CleanSearchAssistant);
    case CleanerId::RecycleBin:
      return ForItem(CleanRecycleBin);
    case CleanerId::TemporaryFiles:
      return ForItem(CleanTemporaryFiles);
    case CleanerId::Clipboard:
      return ForItem(CleanClipboard);
    case CleanerId::MemoryDumps:
      return ForItem(CleanMemoryDumps);
    case CleanerId::ChkdskFragments:
      return ForItem(CleanChkdskFragments);
    case CleanerId::OpenFileHistory:
      return ForItem(CleanOpenFileHistory);
    case CleanerId::MenuOrderCache:
      return ForItem(CleanMenuOrderCache);
    case CleanerId::TrayNotificationsCache:
      return ForItem(CleanTrayNotificationsCache);
    case CleanerId::UserAssistHistory:
      return ForItem(CleanUserAssistHistory);
    case CleanerId::Paint:
      return ForItem(CleanPaintRecentFiles);
    case CleanerId::MsnMessenger:
      return ForItem(CleanMsnMessenger);
    case CleanerId::YahooMessenger:
      return ForItem(CleanYahooMessenger);
    case CleanerId::Skype:
      return ForItem(CleanSkype);
    case CleanerId::OfficeAccess:
      return ForItem(CleanOfficeAccess);
    case CleanerId::OfficeExcel:
      return ForItem(CleanOfficeExcel);
    case CleanerId::OfficeFrontPage:
      return ForItem(CleanOfficeFrontPage);
    case CleanerId::OfficePowerpoint:
      return ForItem(CleanOfficePowerpoint);
    case CleanerId::OfficeWord:
      return ForItem(CleanOfficeWord);
    case CleanerId::OfficeRecentFiles:
      return ForItem(CleanOfficeRecentFiles);
    // Targets without a cleaner yet leave their items empty (header and a 0 summary).
    default:
      return nullptr;
  }
}

}  // namespace morvel
