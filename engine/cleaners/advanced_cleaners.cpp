#include "engine/cleaners/advanced_cleaners.h"

#include <string>

#include "engine/item_counters.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kExplorer = kCurrentVersion + "\\Explorer";

void RemoveUserKey(RunContext& run, const std::string& path) {
  AddToItemCount(run, DeleteKey(run, RootKey::CurrentUser, path));
}

}  // namespace

void CleanOpenFileHistory(RunContext& run) {
  RemoveUserKey(run, kExplorer + "\\ComDlg32\\OpenSaveMRU");
}

void CleanMenuOrderCache(RunContext& run) { RemoveUserKey(run, kExplorer + "\\MenuOrder"); }

void CleanTrayNotificationsCache(RunContext& run) {
  // The two cache values only: the key and its other settings stay.
  const std::string tray = kExplorer + "\\TrayNotify";
  AddToItemCount(run, DeleteValue(run, RootKey::CurrentUser, tray, "IconStreams"));
  AddToItemCount(run, DeleteValue(run, RootKey::CurrentUser, tray, "PastIconsStream"));
}

void CleanUserAssistHistory(RunContext& run) {
  // The "Count" keys hold the history; their parents stay.
  const std::string user_assist = kExplorer + "\\UserAssist\\";
  RemoveUserKey(run, user_assist + "{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count");
  RemoveUserKey(run, user_assist + "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count");
}

void CleanPaintRecentFiles(RunContext& run) {
  RemoveUserKey(run, kCurrentVersion + "\\Applets\\Paint\\Recent File List");
}

}  // namespace morvel
