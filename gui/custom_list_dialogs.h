#pragma once
// frmNewCustomItem with its entry dialogs frmAddFolder and frmAddRegistry, over the
// portable CustomListEditor and entry forms, which decide; these views move values
// between the controls and them.

#include <windows.h>

#include "app/custom_list_editor.h"

namespace morvel::gui {

// Modal over `owner`; the editor saves Clist.dat on OK.
void ShowCustomListsDialog(HINSTANCE instance, HWND owner, app::CustomListEditor& editor);

}  // namespace morvel::gui
