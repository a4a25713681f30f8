#include "packaging/html.h"

#include <cstdint>

namespace morvel::packaging {

namespace {

// Appends `text` with every non-ASCII UTF-8 sequence as a numeric reference; `escape`
// also escapes the characters that are markup.
void AppendAscii(std::string& out, std::string_view text, bool escape) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      const char c = text[i++];
      if (escape && c == '&')
        out += "&amp;";
      else if (escape && c == '<')
        out += "&lt;";
      else if (escape && c == '>')
        out += "&gt;";
      else if (escape && c == '"')
        out += "&quot;";
      else
        out += c;
      continue;
    }
    // A lead byte gives the sequence's length; a stray byte stands for itself (Latin-1).
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    std::uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
    std::size_t used = 1;
    while (used < length && i + used < text.size() &&
           (static_cast<unsigned char>(text[i + used]) & 0xC0) == 0x80) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + used]) & 0x3F);
      ++used;
    }
    if (used != length) code = byte;  // cut short: the lead byte alone
    out += "&#" + std::to_string(code) + ";";
    i += used;
  }
}

}  // namespace

std::string HtmlText(std::string_view text) {
  std::string out;
  AppendAscii(out, text, true);
  return out;
}

std::string AsciiHtml(std::string_view html) {
  std::string out;
  AppendAscii(out, html, false);
  return out;
}

std::string Slug(std::string_view text) {
  std::string slug;
  bool gap = false;
  for (char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool upper = c >= 'A' && c <= 'Z';
    if (letter || upper) {
      if (gap && !slug.empty()) slug += '-';
      slug += upper ? static_cast<char>(c - 'A' + 'a') : c;
      gap = false;
    } else {
      gap = true;
    }
  }
  return slug;
}

std::string HtmlPage(std::string_view title, std::string_view body) {
  std::string page =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\r\n<html>\r\n<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\">\r\n<title>";
  page += HtmlText(title);
  page += "</title>\r\n<link rel=\"stylesheet\" type=\"text/css\" href=\"morvel.css\">\r\n";
  page += "</head>\r\n<body>\r\n<h1>";
  page += HtmlText(title);
  page += "</h1>\r\n";
  page += AsciiHtml(body);
  if (!body.empty() && body.back() != '\n') page += "\r\n";
  page += "</body>\r\n</html>\r\n";
  return page;
}

}  // namespace morvel::packaging
