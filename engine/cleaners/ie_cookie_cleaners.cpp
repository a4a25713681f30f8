#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/cleaners/cookie_folder.h"
#include "engine/cleaners/cookie_keep_list.h"
#include "engine/cleaners/ie_cleaners.h"
#include "engine/cleaners/ie_support.h"
#include "engine/file_removal.h"
#include "engine/item_counters.h"
#include "engine/registry_removal.h"
#include "stores/pstorage.h"

namespace morvel {

namespace {

using platform::FileEntry;
using platform::RootKey;

constexpr const char* kIntelliForms = "Software\\Microsoft\\Internet Explorer\\IntelliForms";

}  // namespace

void CleanIeCookies(RunContext& run) {
  const std::string folder = IeCookieFolder(run.port().system, run.port().files);
  if (folder.empty()) return;
  // Cookie files are taken from the folder itself, never from one a link leads to. Every
  // one of them goes: the folder is emptied of them, so it is guarded as one emptied.
  const auto held = EnterFolder(run, folder, FolderOrigin::Program, FolderReach::Tree);
  if (!held) return;
  const CookieKeepList keep =
      ReadCookieKeepList(run.port().files, run.port().system.ExecutableFolder());
  std::vector<FileEntry> cookies;
  (void)held->Enumerate([&](const FileEntry& entry) {
    if (IsCookieFile(entry) && !keep.Keeps(*held, entry.name)) cookies.push_back(entry);
    return true;
  });
  std::uint64_t bytes = 0;
  for (const FileEntry& cookie : cookies) {
    if (run.Terminated()) break;
    if (!RemoveHeldFile(run, *held, cookie.name, folder, /*log=*/true)) continue;
    AddToItemCount(run, 1);
    bytes += cookie.size;
    run.ReportProgress();
  }
  SetItemBytes(run, bytes);
  // The index still lists the kept cookies: it stays while any are kept.
  if (keep.empty()) WipeIndexDatFile(run, folder + "index.dat");
}

void CleanIeAutocompleteHistory(RunContext& run) {
  {
    stores::TPStorage storage(run.port().protected_storage);
    if (!storage.IsAvailable() || !storage.Connect()) return;
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
        AddToItemCount(run, static_cast<std::int32_t>(n == 1 ? 1 : n / 2));
        for (std::size_t i = 0; i < n; ++i) {
          const std::string name = items->NameAt(i);
          if (!name.starts_with("http://") || name.find("StringData") == std::string::npos)
            continue;
          run.ReportProgress();
          if (!run.IsTestMode()) (void)storage.RemoveItem(type, subtype, name);
        }
      }
    }
  }
  for (const char* storage_key : {"Storage1", "Storage2"})
    AddToItemCount(
        run, DeleteKey(run, RootKey::CurrentUser, std::string(kIntelliForms) + "\\" + storage_key));
}

}  // namespace morvel
