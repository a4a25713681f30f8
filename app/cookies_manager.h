#pragma once
// frmCookiesManager's controller: what the dialog lists when it opens, the text View
// shows, and what OK commits (Cookies.dat). The Win32 dialog only moves the lists and
// their selections between its list boxes and this object.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cookie_lists.h"
#include "app/product.h"
#include "platform/port.h"

namespace morvel::app {

inline constexpr std::string_view kCookiesManagerCaption = MORVEL_COOKIES_CAPTION;

// Writes the keep list into Cookies.dat of `program_folder` (with a trailing "\"): "Count"
// and the keys "0", "1", ... of section "Cookies to keep". The section is not erased first,
// so keys of an earlier, longer list stay (readers stop at Count), and every other line of
// the file stays as it was, in the encoding the file was read in. The file is replaced
// whole, so a failure leaves the previous one as it was; a file that exists but cannot be
// read is not replaced.
platform::Status WriteCookieKeepList(platform::FileSystem& files, std::string_view program_folder,
                                     const std::vector<std::string>& names);

// What View shows of a cookie file: the file's lines, each after a line break.
struct CookieText {
  std::string caption;  // the file name
  std::string text;
};

class CookiesManager {
 public:
  // The most of a cookie file View shows: a message box cannot show more, and a huge file
  // that merely has ".txt" in its name must not be read whole.
  static constexpr std::size_t kViewLimit = 32 * 1024;

  // Fills both lists: the keep list of Cookies.dat on the right (names shown even when no
  // such file exists any more), and on the left the cookie files of the cookie folder whose
  // names are not kept exactly (letter case included), in the folder's order.
  explicit CookiesManager(platform::Port& port);

  [[nodiscard]] CookieLists& lists() { return lists_; }
  [[nodiscard]] const CookieLists& lists() const { return lists_; }
  // The folder listed, with a trailing "\"; empty when there is none.
  [[nodiscard]] const std::string& folder() const { return folder_; }

  // The selected found cookie's text; nullopt without a selection or when the file cannot
  // be read (View then shows nothing).
  [[nodiscard]] std::optional<CookieText> View() const;

  // OK: writes the keep list to Cookies.dat beside the program.
  [[nodiscard]] platform::Status Save();
  // The message shown when Save failed; the dialog stays open.
  [[nodiscard]] std::string SaveFailureMessage(const platform::Status& status) const;

 private:
  platform::Port& port_;
  std::string folder_;
  CookieLists lists_;
};

}  // namespace morvel::app
