#pragma once
// What an Internet Explorer cookie file says. WinINet names the files at random
// ("1KZXJSOV.txt") and writes each cookie as a record of nine lines: the name, the value,
// the site and path ("mail.example.com/"), the flags, the expiry and the creation time as
// the two halves of a FILETIME each, and "*".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace morvel {

struct CookieRecord {
  std::string name;
  std::string value;
  std::string site_path;      // "mail.example.com/"
  std::uint64_t expires = 0;  // FILETIME (UTC)
};

// The text's lines; LF, CR LF and CR end a line.
std::vector<std::string_view> TextLines(std::string_view text);

// The records of a cookie file's text, in order; a record cut short, or text of another
// shape, ends the list.
std::vector<CookieRecord> ParseCookieRecords(std::string_view text);

// The site the file's first record is for: its host in lower case, without a leading dot
// ("mail.example.com"); empty when the text is no cookie record or names no host.
std::string CookieSite(std::string_view text);

// Up to `limit` bytes from the start of an open file; nullopt when a read fails.
std::optional<std::string> ReadHead(const platform::FileReader& reader, std::size_t limit);

// The site of the cookie file `name` of a held folder, read without following a link;
// empty when it cannot be read or names none.
std::string ReadCookieSite(const platform::FolderHandle& folder, std::string_view name);

}  // namespace morvel
