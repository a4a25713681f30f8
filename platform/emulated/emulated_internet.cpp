#include "platform/emulated/emulated_internet.h"

#include "platform/emulated/machine.h"
#include "platform/emulated/store_file.h"

namespace morvel::platform::emulated {

UrlList UrlList::Load(const std::filesystem::path& file) {
  const std::optional<std::string> bytes = ReadStoreFile(file);
  return bytes ? Parse(*bytes, file.string()) : UrlList();
}

UrlList UrlList::Parse(std::string_view bytes, std::string_view display_name) {
  UrlList list;
  std::size_t line = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    ++line;
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view url = bytes.substr(start, end - start);
    if (url.ends_with('\r')) url.remove_suffix(1);
    start = end + 1;
    auto fail = [&](const char* what) {
      throw MachineImageError(std::string(display_name) + ":" + std::to_string(line) + ": " + what);
    };
    if (url.empty()) fail("empty line (one URL a line)");
    for (char c : url)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) fail("control character in a URL");
    list.urls_.emplace_back(url);
  }
  return list;
}

void UrlList::Walk(const UrlVisitor& visit) {
  for (std::size_t i = 0; i < urls_.size();) {
    const UrlAction action = visit(urls_[i]);
    if (action == UrlAction::Delete) {
      urls_.erase(urls_.begin() + static_cast<std::ptrdiff_t>(i));
      changed_ = true;
      continue;
    }
    if (action == UrlAction::Stop) return;
    ++i;
  }
}

std::string UrlList::Serialize() const {
  std::string bytes;
  for (const std::string& url : urls_) bytes += url + "\r\n";
  return bytes;
}

EmulatedInternet::EmulatedInternet(const std::filesystem::path& stores)
    : stores_(stores),
      cache_(UrlList::Load(stores / "url-cache.txt")),
      history_(UrlList::Load(stores / "url-history.txt")) {}

void EmulatedInternet::Save() {
  for (auto [list, name] : {std::pair{&cache_, "url-cache.txt"}, {&history_, "url-history.txt"}}) {
    if (!list->changed()) continue;
    WriteStoreFile(stores_ / name, list->Serialize());
    list->MarkSaved();
  }
}

}  // namespace morvel::platform::emulated
