#include "app/cookies_manager.h"

#include <algorithm>

#include "app/settings_store.h"
#include "common/ini_file.h"
#include "common/text.h"
#include "engine/cleaners/cookie_file.h"
#include "engine/cleaners/cookie_folder.h"
#include "stores/index_dat_time.h"

namespace morvel::app {

namespace {

// A cookie file's bytes as UTF-8: as they are when they are UTF-8 already, else one
// character per byte (the files are written in the system's code page).
std::string AsUtf8(std::string_view bytes) {
  if (Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes) return std::string(bytes);
  std::u16string wide(bytes.begin(), bytes.end());
  for (std::size_t i = 0; i < bytes.size(); ++i) wide[i] = static_cast<unsigned char>(bytes[i]);
  return Utf16ToUtf8(wide);
}

// `bytes` without a UTF-8 character that the end of the read cut short, so that a UTF-8
// file shown in part is still taken for UTF-8.
std::string_view WithoutCutCharacter(std::string_view bytes) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(4, bytes.size()); ++back) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: the lead lies further back
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? bytes.substr(0, bytes.size() - back) : bytes;
  }
  return bytes;
}

// Each line after a line break, so the text begins with one.
std::string LinesAfterBreaks(std::string_view text) {
  std::string shown;
  for (const std::string_view line : TextLines(text)) {
    shown += "\r\n";
    shown += line;
  }
  return shown;
}

}  // namespace

platform::Status WriteCookieKeepList(platform::FileSystem& files, std::string_view program_folder,
                                     const std::vector<KeptCookie>& cookies) {
  const std::string path = std::string(program_folder) + kCookieKeepFile;
  auto ini = ReadIniForUpdate(files, path);
  if (!ini) return ini.status;
  const auto count = static_cast<long long>(cookies.size());
  ini.value.WriteInteger(kCookieKeepSection, "Count", count);
  for (std::size_t i = 0; i < cookies.size(); ++i)
    ini.value.Write(kCookieKeepSection, std::to_string(i), cookies[i].name);
  ini.value.WriteInteger(kCookieKeepSection, "SiteCount", count);
  for (std::size_t i = 0; i < cookies.size(); ++i)
    ini.value.Write(kCookieKeepSection, "Site" + std::to_string(i), cookies[i].site);
  return files.WriteFile(path, ini.value.Serialize());
}

std::string CookieRowText(const KeptCookie& cookie) {
  if (cookie.site.empty()) return cookie.name;
  if (cookie.name.empty()) return cookie.site;
  return cookie.site + " (" + cookie.name + ")";
}

CookiesManager::CookiesManager(platform::Port& port)
    : port_(port), folder_(IeCookieFolder(port.system, port.files)) {
  const CookieKeepList keep = ReadCookieKeepList(port.files, port.system.ExecutableFolder());
  // The cookie files with their sites, read in the folder itself (never through a link).
  std::vector<KeptCookie> files;
  if (const auto held = HoldFolder()) {
    (void)held->Enumerate([&](const platform::FileEntry& entry) {
      if (IsCookieFile(entry)) files.push_back({entry.name, ReadCookieSite(*held, entry.name)});
      return true;
    });
  }
  std::vector<bool> shown(files.size(), false);
  const auto add = [&](NameList& list, const KeptCookie& row) {
    const std::string text = CookieRowText(row);
    if (rows_.contains(text)) return;
    rows_[text] = row;
    list.names.push_back(text);
  };
  for (const KeptCookie& kept : keep.cookies) {
    bool keeps_a_file = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const bool by_site = !kept.site.empty() && SameText(files[i].site, kept.site);
      if (files[i].name != kept.name && !by_site) continue;
      keeps_a_file = true;
      if (shown[i]) continue;
      shown[i] = true;
      // A file whose site cannot be read now keeps the site it was saved with.
      add(lists_.kept, {files[i].name, files[i].site.empty() ? kept.site : files[i].site});
    }
    if (!keeps_a_file) add(lists_.kept, kept);
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!shown[i]) add(lists_.found, files[i]);
}

std::unique_ptr<platform::FolderHandle> CookiesManager::HoldFolder() const {
  if (folder_.empty()) return nullptr;
  const auto real = port_.files.FinalPath(folder_);
  if (!real.ok()) return nullptr;
  auto held = port_.files.OpenFolder(real.value);
  return held.ok() ? std::move(held.value) : nullptr;
}

std::optional<CookieText> CookiesManager::View() const {
  const NameList& found = lists_.found;
  if (found.selected < 0 || found.selected >= static_cast<int>(found.names.size()))
    return std::nullopt;
  const std::string name = RowOf(found.names[found.selected]).name;
  const auto held = HoldFolder();
  if (!held) return std::nullopt;
  const auto reader = held->OpenListedFile(name);
  if (!reader.ok()) return std::nullopt;
  const auto bytes = ReadHead(*reader.value, kViewLimit);
  if (!bytes) return std::nullopt;
  const std::string text =
      AsUtf8(bytes->size() == kViewLimit ? WithoutCutCharacter(*bytes) : std::string_view(*bytes));
  const std::vector<CookieRecord> records = ParseCookieRecords(text);
  if (records.empty()) return CookieText{name, LinesAfterBreaks(text)};
  std::string fields;
  for (const CookieRecord& r : records) {
    if (!fields.empty()) fields += "\r\n";
    fields += "\r\nName: " + r.name + "\r\nValue: " + r.value + "\r\nSite: " + r.site_path +
              "\r\nExpires: " +
              (r.expires == 0 ? std::string(kTimeNotAvailable)
                              : LastModifiedText(port_.system, r.expires));
  }
  return CookieText{name, fields};
}

KeptCookie CookiesManager::RowOf(const std::string& text) const {
  const auto row = rows_.find(text);
  // A text the lists were not given is a file's name.
  return row != rows_.end() ? row->second : KeptCookie{text, {}};
}

std::vector<KeptCookie> CookiesManager::Kept() const {
  std::vector<KeptCookie> kept;
  for (const std::string& text : lists_.kept.names) kept.push_back(RowOf(text));
  return kept;
}

platform::Status CookiesManager::Save() {
  return WriteCookieKeepList(port_.files, port_.system.ExecutableFolder(), Kept());
}

std::string CookiesManager::SaveFailureMessage(const platform::Status& status) const {
  return "The cookies to keep could not be saved to " + port_.system.ExecutableFolder() +
         kCookieKeepFile + ": " + platform::ErrorKindName(status.kind) +
         ". The file is as it was before.";
}

}  // namespace morvel::app
