#pragma once
// ProgressBar1's caption: the bar draws its window text over itself while it is shown.

#include <windows.h>

namespace morvel::gui {

void AttachProgressCaption(HWND bar);
void SetProgressCaptionShown(HWND bar, bool shown);

}  // namespace morvel::gui
