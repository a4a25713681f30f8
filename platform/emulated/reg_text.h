#pragma once
// Bulk conversions between the UTF-16LE bytes of a regedit file and the UTF-8 text the
// parser works on. They run over whole files (tens of megabytes), so they take the fast
// path for ASCII and write into one buffer. Both directions are exact inverses: an
// unpaired surrogate travels as its three-byte form (WTF-8), so a file read and written
// back unchanged keeps its very bytes.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace morvel::platform::emulated {

// A text buffer filled without zero-initialising it first.
struct TextBuffer {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  [[nodiscard]] std::string_view view() const { return {data.get(), size}; }
};

// At most this many UTF-8 bytes come from `units` UTF-16 units.
constexpr std::size_t Utf8Capacity(std::size_t units) { return units * 3 + 1; }

// Converts `units` UTF-16LE units at `bytes` to UTF-8 at `out` (room for
// Utf8Capacity(units)); returns the end of the output. A high surrogate that is the
// last unit is written alone: callers splitting a file keep it for the next piece.
char* Utf16LeUnitsToUtf8(const char* bytes, std::size_t units, char* out);

// UTF-16LE bytes (no byte-order mark; an odd trailing byte is ignored) to UTF-8.
TextBuffer Utf16LeToUtf8(std::string_view bytes);

// UTF-8 text to UTF-16LE bytes appended to `out`. Bytes that are not UTF-8 become U+FFFD.
void AppendUtf8AsUtf16Le(std::string_view text, std::string& out);

}  // namespace morvel::platform::emulated
