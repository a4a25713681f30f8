#include "engine/cleaners/cookie_folder.h"

#include "engine/cleaners/ie_support.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/name_mask.h"

namespace morvel {

namespace {

using platform::FileEntry;

constexpr const char* kFallbackCookies = "c:\\windows\\cookies";

bool IsPlainFile(const FileEntry& entry) {
  return !entry.IsFolder() && !entry.IsReparsePoint() && IsPlainName(entry.name);
}

bool HasTextFiles(const platform::FileSystem& files, const std::string& folder) {
  const NameMask mask("*.txt");
  bool found = false;
  (void)files.Enumerate(folder, [&](const FileEntry& entry) {
    found = IsPlainFile(entry) && mask.Matches(entry.name);
    return !found;
  });
  return found;
}

}  // namespace

bool IsCookieFile(const FileEntry& entry) {
  return IsPlainFile(entry) && entry.name.find(".txt") != std::string::npos;
}

std::string IeCookieFolder(platform::SystemInfo& system, const platform::FileSystem& files) {
  std::string folder = BrowserFolder(system, platform::SpecialFolder::Cookies);
  if (folder.empty() || !files.Exists(folder)) folder = kFallbackCookies;
  if (!files.Exists(folder)) return {};
  folder = WithBackslash(folder);
  const std::string low = folder + "Low";
  if (files.Exists(low) && !HasTextFiles(files, folder) && HasTextFiles(files, low))
    return low + "\\";
  return folder;
}

}  // namespace morvel
