#include "gui/list_box.h"

#include <algorithm>

#include "gui/base/scoped.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

int SelectionOf(HWND list_box) {
  const LRESULT selected = SendMessageW(list_box, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

void FillListBox(HWND list_box, const std::vector<std::string>& names, int selected) {
  const LRESULT top = SendMessageW(list_box, LB_GETTOPINDEX, 0, 0);
  SendMessageW(list_box, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_box, LB_RESETCONTENT, 0, 0);
  LONG widest = 0;
  {
    const WindowDc dc(list_box);
    const Selection font(dc.get(),
                         reinterpret_cast<HGDIOBJ>(SendMessageW(list_box, WM_GETFONT, 0, 0)));
    for (const std::string& name : names) {
      const std::wstring wide = platform::win32::Wide(name);
      SendMessageW(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
      widest = std::max(widest, size.cx);
    }
  }
  SendMessageW(list_box, LB_SETHORIZONTALEXTENT, widest + 6, 0);
  if (top != LB_ERR) SendMessageW(list_box, LB_SETTOPINDEX, top, 0);
  // Selecting scrolls the entry into view.
  SendMessageW(list_box, LB_SETCURSEL, selected, 0);
  SendMessageW(list_box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_box, nullptr, TRUE);
}

}  // namespace morvel::gui
