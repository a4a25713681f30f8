#pragma once
// The JPEG pictures of the resources (title strip, About banner) as bitmaps.

#include <windows.h>

#include "gui/base/scoped.h"

namespace morvel::gui {

// The picture `id` of the resources; empty when it is missing or damaged.
ScopedBitmap LoadPictureResource(HINSTANCE instance, int id);
// Stretches `picture` over `area`; false (nothing drawn) without a picture.
bool DrawPicture(HDC dc, HBITMAP picture, const RECT& area);

}  // namespace morvel::gui
