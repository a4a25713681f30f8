#pragma once
// Whether a definition entry's value is text. A value that holds a zero byte or another
// control character cannot be meant: Win32 would cut a path or key at the zero and act on
// the shorter one, and no file or key name holds such characters. Such an entry is never
// carried out; the run says so, and the custom list's editor shows it as damaged.

#include <optional>
#include <string>
#include <string_view>

namespace morvel {

// What keeps `value` from being an entry's text ("a zero byte", "control character 0x09",
// "invalid UTF-8"); nullopt for text.
std::optional<std::string> EntryTextFault(std::string_view value);

// `value` fit for a log line or a list row: each control character written as "<NUL>" or
// "<0x09>", and bytes that are not UTF-8 as "?".
std::string ShownEntry(std::string_view value);

}  // namespace morvel
