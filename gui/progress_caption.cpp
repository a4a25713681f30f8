#include "gui/progress_caption.h"

#include <commctrl.h>

#include "gui/base/barrier.h"
#include "gui/base/scoped.h"

namespace morvel::gui {

namespace {

constexpr wchar_t kCaptionShown[] = L"MorvelCaptionShown";

void DrawCaption(HWND bar) {
  wchar_t text[128] = {};
  GetWindowTextW(bar, text, 128);
  const WindowDc dc(bar);
  RECT r;
  GetClientRect(bar, &r);
  SetBkMode(dc.get(), TRANSPARENT);
  const Selection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
  DrawTextW(dc.get(), text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK CaptionProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                             DWORD_PTR) {
  return Guarded(
      "progress caption",
      [&] {
        if (message == WM_NCDESTROY) {
          RemovePropW(bar, kCaptionShown);
          RemoveWindowSubclass(bar, CaptionProc, 1);
        }
        const LRESULT result = DefSubclassProc(bar, message, wparam, lparam);
        if (message == WM_PAINT && GetPropW(bar, kCaptionShown) != nullptr) DrawCaption(bar);
        return result;
      },
      [] { return LRESULT{0}; });
}

}  // namespace

void AttachProgressCaption(HWND bar) { SetWindowSubclass(bar, CaptionProc, 1, 0); }

void SetProgressCaptionShown(HWND bar, bool shown) {
  if (shown)
    SetPropW(bar, kCaptionShown, reinterpret_cast<HANDLE>(1));
  else
    RemovePropW(bar, kCaptionShown);
  InvalidateRect(bar, nullptr, FALSE);
}

}  // namespace morvel::gui
