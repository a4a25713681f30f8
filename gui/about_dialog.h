#pragma once
// frmAbout: the product name, version and publisher lines and three links.

#include <windows.h>

namespace morvel::gui {

// Modal over `owner`.
void ShowAboutDialog(HINSTANCE instance, HWND owner);

}  // namespace morvel::gui
