#pragma once
// frmCookiesManager's controller: what the dialog lists when it opens, the text View
// shows, and what OK commits (Cookies.dat). WinINet names cookie files at random, so each
// row shows the cookie's site with its file's name after it, and a cookie is kept by both.
// The Win32 dialog only moves the lists and their selections between its list boxes and
// this object.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cookie_lists.h"
#include "app/product.h"
#include "engine/cleaners/cookie_keep_list.h"
#include "platform/port.h"

namespace morvel::app {

inline constexpr std::string_view kCookiesManagerCaption = MORVEL_COOKIES_CAPTION;

// Writes the keep list into Cookies.dat of `program_folder` (with a trailing "\"): "Count"
// and the keys "0", "1", ... with the files' names, then "SiteCount" and "Site0",
// "Site1", ... with their sites, of section "Cookies to keep". The section is not erased
// first, so keys of an earlier, longer list stay (readers stop at the counts), and every
// other line of the file stays as it was, in the encoding the file was read in. The file is
// replaced whole, so a failure leaves the previous one as it was; a file that exists but
// cannot be read is not replaced.
platform::Status WriteCookieKeepList(platform::FileSystem& files, std::string_view program_folder,
                                     const std::vector<KeptCookie>& cookies);

// A row of either list: the site with the file's name after it ("mail.example.com
// (EOEZJSOV.txt)"), or the name alone when the site is not known.
std::string CookieRowText(const KeptCookie& cookie);

// What View shows of a cookie file: each cookie's name, value, site and expiry, or the
// file's lines when it holds no cookie record; each line after a line break.
struct CookieText {
  std::string caption;  // the file name
  std::string text;
};

class CookiesManager {
 public:
  // The most of a cookie file View shows: a message box cannot show more, and a huge file
  // that merely has ".txt" in its name must not be read whole.
  static constexpr std::size_t kViewLimit = 32 * 1024;

  // Fills both lists: on the right, in the order of Cookies.dat, the cookie files each kept
  // cookie keeps (its file, or the files of its site: a site that set its cookie again has
  // it under a new name), or the kept cookie as saved when it keeps no file; on the left
  // every other cookie file of the cookie folder, in the folder's order. A name differing
  // from a kept one only in letter case is not kept by it.
  explicit CookiesManager(platform::Port& port);

  [[nodiscard]] CookieLists& lists() { return lists_; }
  [[nodiscard]] const CookieLists& lists() const { return lists_; }
  // The folder listed, with a trailing "\"; empty when there is none.
  [[nodiscard]] const std::string& folder() const { return folder_; }

  // The selected found cookie's text; nullopt without a selection or when the file cannot
  // be read (View then shows nothing).
  [[nodiscard]] std::optional<CookieText> View() const;

  // The cookies the right-hand list keeps, in its order.
  [[nodiscard]] std::vector<KeptCookie> Kept() const;

  // OK: writes the keep list to Cookies.dat beside the program.
  [[nodiscard]] platform::Status Save();
  // The message shown when Save failed; the dialog stays open.
  [[nodiscard]] std::string SaveFailureMessage(const platform::Status& status) const;

 private:
  [[nodiscard]] std::unique_ptr<platform::FolderHandle> HoldFolder() const;
  [[nodiscard]] KeptCookie RowOf(const std::string& text) const;

  platform::Port& port_;
  std::string folder_;
  CookieLists lists_;
  std::map<std::string, KeptCookie> rows_;  // by the text the lists show
};

}  // namespace morvel::app
