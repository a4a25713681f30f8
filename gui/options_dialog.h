#pragma once
// frmOptions: the settings dialog's three pages over the portable OptionsDialog, which
// decides; this view moves values between the controls and it.

#include <windows.h>

#include "app/boss_key.h"
#include "app/options_dialog.h"

namespace morvel::gui {

// Modal over `owner`. The test registration of a changed boss key goes through
// `hot_keys`; `dialog.accepted()` tells what OK accepted.
void ShowOptionsDialog(HINSTANCE instance, HWND owner, app::OptionsDialog& dialog,
                       app::HotKeyPort& hot_keys);

}  // namespace morvel::gui
