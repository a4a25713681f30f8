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

// UTF-16LE bytes (no byte-order mark; an odd trailing byte is ignored) to UTF-8.
TextBuffer Utf16LeToUtf8(std::string_view bytes);

// UTF-8 text to UTF-16LE bytes appended to `out`. Bytes that are not UTF-8 become U+FFFD.
void AppendUtf8AsUtf16Le(std::string_view text, std::string& out);

}  // namespace morvel::platform::emulated
