#pragma once
// frmCookiesManager: the Win32 view of app::CookiesManager.

#include <windows.h>

#include "platform/port.h"

namespace morvel::gui {

// Modal over `owner`; OK writes Cookies.dat (a failure is shown and the dialog stays),
// Cancel writes nothing.
void ShowCookiesManager(HINSTANCE instance, HWND owner, platform::Port& port);

}  // namespace morvel::gui
