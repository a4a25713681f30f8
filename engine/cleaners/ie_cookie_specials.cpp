// The special steps of Internet Explorer's cookie and autocomplete items: the cookie files
// that the keep list (Cookies.dat) does not name, with their index; and the Protected
// Storage's Internet Explorer items with the IntelliForms keys.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/cleaners/cookie_folder.h"
#include "engine/cleaners/cookie_keep_list.h"
#include "engine/cleaners/ie_support.h"
#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "engine/special_steps.h"
#include "stores/pstorage.h"

namespace morvel {

namespace {

using platform::FileEntry;
using platform::RootKey;

constexpr const char* kIntelliForms = "Software\\Microsoft\\Internet Explorer\\IntelliForms";

}  // namespace

Tally CleanIeCookies(Executor& executor) {
  RunContext& run = executor.run();
  const std::string folder = IeCookieFolder(run.port().system, run.port().files);
  if (folder.empty()) return {};
  Tally tally;
  // Cookie files are taken from the folder itself, never from one a link leads to.
  executor.ForEachFolder(
      InFolder(folder),
      [&](Executor::Reached& cookies) {
        // Every cookie file goes: the folder is emptied of them, so it is guarded as one
        // emptied.
        if (!MayClean(run, cookies.shown, cookies.folder, FolderOrigin::Program,
                      FolderReach::Tree)) {
          tally.Leave({cookies.shown, LeftReason::Refused});
          return;
        }
        const CookieKeepList keep =
            ReadCookieKeepList(run.port().files, run.port().system.ExecutableFolder());
        std::vector<FileEntry> files;
        (void)cookies.folder.Enumerate([&](const FileEntry& entry) {
          if (IsCookieFile(entry) && !keep.Keeps(cookies.folder, entry.name))
            files.push_back(entry);
          return true;
        });
        for (const FileEntry& cookie : files) {
          if (run.Terminated()) break;
          RemoveListedFile(executor, cookies.folder, cookie, cookies.shown, /*log=*/true, tally);
        }
        // The index still lists the kept cookies: it stays while any are kept.
        if (keep.empty()) WipeIndexDatFile(run, cookies.folder, cookies.shown, "index.dat");
      },
      &tally);
  return tally;
}

Tally CleanIeAutocomplete(Executor& executor) {
  RunContext& run = executor.run();
  Tally tally;
  {
    stores::TPStorage storage(run.port().protected_storage);
    // Without the store the item does nothing at all, its registry keys included.
    if (!storage.IsAvailable() || !storage.Connect()) return tally;
    const auto types = storage.ListTypes();
    for (std::size_t t = 0; t < types->Count() && !run.Terminated(); ++t) {
      const stores::StoreId type = types->IDAt(t);
      if (storage.TypeDisplayName(type) != "Internet Explorer") continue;
      const auto subtypes = storage.ListSubtypes(type);
      for (std::size_t s = 0; s < subtypes->Count() && !run.Terminated(); ++s) {
        const stores::StoreId subtype = subtypes->IDAt(s);
        const auto items = storage.ListItems(type, subtype);
        const std::size_t n = items->Count();
        // A form's entries come in pairs; a lone one still counts.
        const auto entries = static_cast<std::int32_t>(n == 1 ? 1 : n / 2);
        tally.AddItems(entries);
        executor.Counted(entries);
        for (std::size_t i = 0; i < n; ++i) {
          const std::string name = items->NameAt(i);
          if (!name.starts_with("http://") || name.find("StringData") == std::string::npos)
            continue;
          executor.ReportProgress();
          if (!run.IsTestMode()) (void)storage.RemoveItem(type, subtype, name);
        }
      }
    }
  }
  for (const char* storage_key : {"Storage1", "Storage2"})
    tally.Add(executor.Run(
        Action(KeyAction(RootKey::CurrentUser, std::string(kIntelliForms) + "\\" + storage_key))));
  return tally;
}

}  // namespace morvel
