#include "gui/pictures.h"

#include <cstring>
#include <string_view>

#include "app/jpeg_picture.h"

namespace morvel::gui {

ScopedBitmap LoadPictureResource(HINSTANCE instance, int id) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return nullptr;
  const auto picture = app::DecodeJpeg(
      std::string_view(static_cast<const char*>(bytes), SizeofResource(instance, found)));
  if (!picture) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture->width;
  info.bmiHeader.biHeight = -picture->height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || pixels == nullptr) return nullptr;
  std::memcpy(pixels, picture->bgr.data(), picture->bgr.size());
  return bitmap;
}

bool DrawPicture(HDC dc, HBITMAP picture, const RECT& area) {
  if (picture == nullptr) return false;
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  const ScopedMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return false;
  const Selection selected(source.get(), picture);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE wants it after the mode is set
  StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source.get(),
             0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  return true;
}

}  // namespace morvel::gui
