#pragma once
// The line syntax of "Windows Registry Editor Version 5.00" files: checking a value entry
// without decoding it, decoding its data on demand, and writing values as regedit does.
// The text is UTF-8 (a UTF-16 file is converted as a whole first).

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace morvel::platform::emulated::reg {

inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// A malformed entry: `line` counts from the entry's first line (0 = that line).
struct SyntaxError : std::runtime_error {
  SyntaxError(std::size_t line_in_entry, const std::string& what)
      : std::runtime_error(what), line(line_in_entry) {}
  std::size_t line;
};

// The root of "HKEY_CURRENT_USER" and the usual short forms ("HKCU"), any letter case.
std::optional<RootKey> ParseRootName(std::string_view name);
std::string_view RootName(RootKey root);

// End of the line content that starts at `pos` (before "\r\n" or "\n"), and the start of
// the next line (text.size() at the end).
struct LineSpan {
  std::size_t content_end;
  std::size_t next;
};
LineSpan LineAt(std::string_view text, std::size_t pos);

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// The text without blanks (spaces, tabs) at either end.
std::string_view TrimBlanks(std::string_view text);

// A checked value entry: `"name"=data` or `@=data`, possibly continued over lines.
struct ValueEntry {
  std::string_view escaped_name;  // between the quotes, escapes still in it
  bool is_default = false;        // the "@" form
  std::size_t data_begin = 0;     // offsets in the text
  std::size_t data_end = 0;       // end of the entry's last line content
  std::size_t next = 0;           // start of the line after the entry
  std::size_t lines = 1;          // physical lines the entry spans
};

// Checks the entry whose first line starts at `pos` (after any leading blanks).
// Throws SyntaxError.
ValueEntry ScanValueEntry(std::string_view text, std::size_t pos);

// The value that checked entry data (text[data_begin, data_end)) stands for.
RegistryValue DecodeValue(std::string name, std::string_view data);

// Escapes of quoted names and strings: \\ \" and, as Wine writes them, \n \r (\0 read).
std::string Unescape(std::string_view escaped);
std::string Escape(std::string_view text);

// The entry lines for a value, as regedit writes them (hex lists wrapped at 80 columns),
// each line ended by `eol`.
std::string FormatValue(const RegistryValue& value, std::string_view eol);

}  // namespace morvel::platform::emulated::reg
