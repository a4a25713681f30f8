#include "engine/cleaners/office_cleaners.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/item_counters.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;

// The registry part of an item: called once with the version key of each Office version.
using VersionStep = std::function<void(RunContext& run, const std::string& version_key)>;

// Office 97 (8.0) to Office 2007 (12.0).
constexpr int kFirstVersion = 8;
constexpr int kLastVersion = 12;

std::string VersionKey(int version) {
  return "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0";
}

// The application-data folder with its trailing "\" when it exists; empty otherwise.
std::string ExistingAppDataFolder(RunContext& run) {
  std::string folder = GetAppDataFolder(run);
  if (folder.empty()) return folder;
  const auto entry = run.port().files.Stat(folder);
  if (!entry.ok() || !entry.value.IsFolder()) folder.clear();
  return folder;
}

// The files of Office's Recent folder that match each mask, in order; then the byte total.
// False when there is no application-data folder, and the item does nothing more.
bool CleanRecentShortcuts(RunContext& run, std::initializer_list<std::string_view> masks) {
  const std::string app_data = ExistingAppDataFolder(run);
  if (app_data.empty()) return false;
  const std::string recent = app_data + "Microsoft\\Office\\Recent";
  std::uint64_t bytes = 0;
  for (std::string_view mask : masks)
    bytes += CleanFolderByMask(run, recent, mask, run.ItemCount(), false);
  SetItemBytes(run, bytes);
  return true;
}

void ForEachVersion(RunContext& run, const VersionStep& step) {
  for (int version = kFirstVersion; version <= kLastVersion; ++version)
    step(run, VersionKey(version));
}

void RemoveUserKey(RunContext& run, const std::string& path) {
  AddToItemCount(run, DeleteKey(run, RootKey::CurrentUser, path));
}

}  // namespace

void CleanOfficeAccess(RunContext& run) {
  if (!CleanRecentShortcuts(run, {"*.mdb"})) return;
  ForEachVersion(run, [](RunContext& r, const std::string& key) {
    RemoveUserKey(r, key + "\\Access\\Settings");
  });
}

void CleanOfficeExcel(RunContext& run) {
  if (!CleanRecentShortcuts(run, {"*.xls"})) return;
  // The whole Excel key: its recent-file list lives among the other Excel settings.
  ForEachVersion(run,
                 [](RunContext& r, const std::string& key) { RemoveUserKey(r, key + "\\Excel"); });
}

void CleanOfficeFrontPage(RunContext& run) {
  // "*.htm" does not match ".html" names, hence the second mask.
  if (!CleanRecentShortcuts(run, {"*.htm", "*.html"})) return;
  const std::string explorer = "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\";
  for (const char* list : {"Recent File List", "Recent Page List", "Recent Web List"})
    RemoveUserKey(run, explorer + list);
}

void CleanOfficePowerpoint(RunContext& run) {
  if (!CleanRecentShortcuts(run, {"*.ppt"})) return;
  // PowerPoint 97 to 2007 keep both lists under the application key "PowerPoint".
  ForEachVersion(run, [](RunContext& r, const std::string& key) {
    RemoveUserKey(r, key + "\\PowerPoint\\Recent File List");
    RemoveUserKey(r, key + "\\PowerPoint\\Recent Folder List");
  });
}

void CleanOfficeWord(RunContext& run) {
  if (!CleanRecentShortcuts(run, {"*.doc"})) return;
  // Word keeps its recent-file list inside the binary "Settings" value; the rest of the
  // Data key holds other settings and stays.
  ForEachVersion(run, [](RunContext& r, const std::string& key) {
    AddToItemCount(r, DeleteValue(r, RootKey::CurrentUser, key + "\\Word\\Data", "Settings"));
  });
}

void CleanOfficeRecentFiles(RunContext& run) { (void)CleanRecentShortcuts(run, {"*.*"}); }

}  // namespace morvel
