#pragma once
// frmAskDelete and frmAbout, the pictures of the windows, and the progress bar's caption.

#include <windows.h>

#include "engine/options_setting.h"

namespace morvel::gui {

// A JPEG picture of the resources as a bitmap; null when missing or damaged.
HBITMAP LoadPictureResource(HINSTANCE instance, int id);
// Stretches `picture` over `area`; false (nothing drawn) without a picture.
bool DrawPicture(HDC dc, HBITMAP picture, const RECT& area);

// frmAskDelete, modal, centred on `owner`: true for OK. Its check box sets AskForSweep to
// the opposite of its state at once, whatever button closes the dialog.
bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, TOptionsSetting& options);
// frmAbout, modal, centred on `owner`.
void ShowAboutDialog(HINSTANCE instance, HWND owner);

// The bar draws its window text over itself while `shown` is set.
void AttachProgressCaption(HWND bar);
void SetProgressCaptionShown(HWND bar, bool shown);

}  // namespace morvel::gui
