#include "app/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace morvel::app {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: jump back
// to the decoder, which gives up on the picture.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatal(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(errors->jump, 1);
}

void Quiet(j_common_ptr) {}

// Kept apart from the setjmp frame: no object with a destructor lives across the jump.
bool Decode(jpeg_decompress_struct& info, Picture& picture, std::vector<JSAMPLE>& row) {
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
      info.output_width > 8192 || info.output_height > 8192)
    return false;
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.bgr.assign(static_cast<std::size_t>(picture.stride()) * picture.height, 0);
  row.assign(static_cast<std::size_t>(picture.width) * 3, 0);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[] = {row.data()};
    const int y = static_cast<int>(info.output_scanline);
    if (jpeg_read_scanlines(&info, rows, 1) != 1) return false;
    std::uint8_t* out = picture.bgr.data() + static_cast<std::size_t>(y) * picture.stride();
    for (int x = 0; x < picture.width; ++x) {
      out[x * 3 + 0] = row[x * 3 + 2];
      out[x * 3 + 1] = row[x * 3 + 1];
      out[x * 3 + 2] = row[x * 3 + 0];
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

std::optional<Picture> DecodeJpeg(std::string_view bytes) {
  if (bytes.empty()) return std::nullopt;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatal;
  errors.base.output_message = Quiet;
  auto picture = std::make_unique<Picture>();
  std::vector<JSAMPLE> row;
  volatile bool ok = false;
  if (setjmp(errors.jump) == 0) {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    ok = Decode(info, *picture, row);
  }
  jpeg_destroy_decompress(&info);
  if (!ok) return std::nullopt;
  return std::move(*picture);
}

}  // namespace morvel::app
