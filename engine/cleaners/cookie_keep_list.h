#pragma once
// The cookie keep list: the Internet Explorer cookies the user chose to keep, saved by the
// Cookies Manager in "Cookies.dat" beside the program and read afresh by every run of the
// cookie cleaner. A cookie is kept by its file's name and by its site: WinINet writes a
// cookie that its site sets again under a new random name, which the name alone would
// no longer match.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace morvel {

inline constexpr const char* kCookieKeepFile = "Cookies.dat";
inline constexpr const char* kCookieKeepSection = "Cookies to keep";

// One kept cookie: its file's name ("Count" and the keys "0", "1", ...) and its site
// ("SiteCount" and "Site0", "Site1", ... of the same number). Either may be empty.
struct KeptCookie {
  std::string name;
  std::string site;
  bool operator==(const KeptCookie&) const = default;
};

struct CookieKeepList {
  std::vector<KeptCookie> cookies;

  [[nodiscard]] bool empty() const { return cookies.empty(); }
  // The kept names, as older readers of the file see the list.
  [[nodiscard]] std::vector<std::string> Names() const;
  // Whether the cookie file `name` of `folder` is kept: its name is on the list (letter
  // case included), or its site is (without regard to case). The file is read only when
  // the list keeps sites and its name is not kept already.
  [[nodiscard]] bool Keeps(const platform::FolderHandle& folder, std::string_view name) const;
  [[nodiscard]] bool KeepsSite(std::string_view site) const;
};

// The numbered keys of section "Cookies to keep": names of keys "0" to Count - 1 and sites
// of keys "Site0" to SiteCount - 1, paired by number and in number order; a number with
// neither is skipped, keys at or above their count are ignored. A missing file or section
// is an empty list, and a count larger than the keys present yields only those present.
CookieKeepList ParseCookieKeepList(std::string_view bytes);

// The keep list of Cookies.dat in `program_folder` (with a trailing "\").
CookieKeepList ReadCookieKeepList(const platform::FileSystem& files,
                                  std::string_view program_folder);

}  // namespace morvel
