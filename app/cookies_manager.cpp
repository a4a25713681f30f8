#include "app/cookies_manager.h"

#include "app/settings_store.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/cleaners/cookie_folder.h"
#include "engine/cleaners/cookie_keep_list.h"

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

// Up to `limit` bytes from the start of the file.
std::optional<std::string> ReadHead(const platform::FileSystem& files, const std::string& path,
                                    std::size_t limit) {
  auto reader = files.OpenForReading(path);
  if (!reader.ok()) return std::nullopt;
  std::string bytes;
  std::array<std::byte, 4096> buffer;
  while (bytes.size() < limit) {
    const std::size_t want = std::min(buffer.size(), limit - bytes.size());
    const auto read = reader.value->ReadAt(bytes.size(), std::span(buffer.data(), want));
    if (!read.ok()) return std::nullopt;
    if (read.value == 0) break;
    bytes.append(reinterpret_cast<const char*>(buffer.data()), read.value);
  }
  return bytes;
}

}  // namespace

platform::Status WriteCookieKeepList(platform::FileSystem& files, std::string_view program_folder,
                                     const std::vector<std::string>& names) {
  const std::string path = std::string(program_folder) + kCookieKeepFile;
  auto ini = ReadIniForUpdate(files, path);
  if (!ini) return ini.status;
  ini.value.WriteInteger(kCookieKeepSection, "Count", static_cast<long long>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i)
    ini.value.Write(kCookieKeepSection, std::to_string(i), names[i]);
  return files.WriteFile(path, ini.value.Serialize());
}

CookiesManager::CookiesManager(platform::Port& port)
    : port_(port), folder_(IeCookieFolder(port.system, port.files)) {
  lists_.kept.names = ReadCookieKeepList(port.files, port.system.ExecutableFolder());
  if (folder_.empty()) return;
  const std::vector<std::string>& kept = lists_.kept.names;
  (void)port.files.Enumerate(folder_, [&](const platform::FileEntry& entry) {
    if (IsCookieFile(entry) && std::find(kept.begin(), kept.end(), entry.name) == kept.end())
      lists_.found.names.push_back(entry.name);
    return true;
  });
}

std::optional<CookieText> CookiesManager::View() const {
  const NameList& found = lists_.found;
  if (found.selected < 0 || found.selected >= static_cast<int>(found.names.size()))
    return std::nullopt;
  const std::string& name = found.names[found.selected];
  const auto bytes = ReadHead(port_.files, folder_ + name, kViewLimit);
  if (!bytes) return std::nullopt;
  const std::string text =
      AsUtf8(bytes->size() == kViewLimit ? WithoutCutCharacter(*bytes) : std::string_view(*bytes));
  CookieText shown{name, {}};
  // Each line after a line break, so the text begins with one; CR LF, LF and CR end lines.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    shown.text += "\r\n" + text.substr(start, end - start);
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return shown;
}

platform::Status CookiesManager::Save() {
  return WriteCookieKeepList(port_.files, port_.system.ExecutableFolder(), lists_.kept.names);
}

std::string CookiesManager::SaveFailureMessage(const platform::Status& status) const {
  return "The cookies to keep could not be saved to " + port_.system.ExecutableFolder() +
         kCookieKeepFile + ": " + platform::ErrorKindName(status.kind) +
         ". The file is as it was before.";
}

}  // namespace morvel::app
