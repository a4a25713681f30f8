#pragma once
// The window's pictures are JPEG files; this turns one into pixels. A damaged or empty
// file gives no picture, and the window leaves that area blank.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace morvel::app {

struct Picture {
  int width = 0;
  int height = 0;
  // Rows from the top, 3 bytes a pixel in blue, green, red order (a 24-bit DIB's order),
  // each row padded to a multiple of 4 bytes.
  std::vector<std::uint8_t> bgr;
  [[nodiscard]] int stride() const { return (width * 3 + 3) & ~3; }
};

std::optional<Picture> DecodeJpeg(std::string_view bytes);

}  // namespace morvel::app
