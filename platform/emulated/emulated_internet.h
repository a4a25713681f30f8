#pragma once
// The emulated machine's URL cache and URL history: one URL a line in
// IMAGE/stores/url-cache.txt and IMAGE/stores/url-history.txt (format in
// docs/machine-image.md). Deleted entries are dropped from the lines; a file is written
// back only when an entry was deleted from it.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/internet.h"

namespace morvel::platform::emulated {

// The URLs of one store file, in the order the walk shows them.
class UrlList {
 public:
  // Reads the file; a missing file is an empty list. Throws MachineImageError, naming
  // the file and line, for an empty line or one holding a control character.
  static UrlList Load(const std::filesystem::path& file);
  static UrlList Parse(std::string_view bytes, std::string_view display_name);

  // Shows `visit` every URL in order, dropping those it deletes.
  void Walk(const UrlVisitor& visit);

  [[nodiscard]] bool changed() const { return changed_; }
  void MarkSaved() { changed_ = false; }
  // The file as it now is: one URL a line, each ended by CR LF.
  [[nodiscard]] std::string Serialize() const;

 private:
  std::vector<std::string> urls_;
  bool changed_ = false;
};

class EmulatedInternet final : public Internet {
 public:
  explicit EmulatedInternet(const std::filesystem::path& stores);

  void WalkUrlCache(const UrlVisitor& visit) override { cache_.Walk(visit); }
  Status WalkUrlHistory(const UrlVisitor& visit) override {
    history_.Walk(visit);
    return Status::Ok();
  }

  // Writes back the files whose lists changed.
  void Save();

 private:
  std::filesystem::path stores_;
  UrlList cache_;
  UrlList history_;
};

}  // namespace morvel::platform::emulated
