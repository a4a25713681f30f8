#pragma once
// frmAskDelete: the confirmation before a removing run.

#include <windows.h>

#include "app/main_view.h"

namespace morvel::gui {

// Modal over `owner`. Answers whether to proceed (OK) and whether "Don't show me this
// message again" was ticked when it closed; the controller commits that. A dialog that
// cannot be shown answers "do not proceed" and leaves the question on.
app::AskAnswer AskBeforeCleaning(HINSTANCE instance, HWND owner);

}  // namespace morvel::gui
