#pragma once
// Small HTML helpers for the help file's pages. The help viewer reads a page in the
// Windows code page unless told otherwise, so pages are plain ASCII: anything beyond it
// becomes a numeric character reference.

#include <string>
#include <string_view>

namespace morvel::packaging {

// `text` (UTF-8) as HTML text: & < > " escaped, non-ASCII as &#N;.
std::string HtmlText(std::string_view text);

// `html` (UTF-8 markup) with every non-ASCII character as &#N;; markup stays as it is.
std::string AsciiHtml(std::string_view html);

// An anchor or file-name part made of `text`: lower-case letters and digits, other runs
// of characters as one "-" ("Yahoo! Toolbar History" gives "yahoo-toolbar-history").
std::string Slug(std::string_view text);

// A whole page: its title, the shared style sheet, the title as heading, then `body`.
std::string HtmlPage(std::string_view title, std::string_view body);

}  // namespace morvel::packaging
