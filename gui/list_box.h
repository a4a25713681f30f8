#pragma once
// A single-selection list box filled from a list of UTF-8 names.

#include <windows.h>

#include <string>
#include <vector>

namespace morvel::gui {

// The selected index, -1 for none.
int SelectionOf(HWND list_box);

// Replaces the entries with `names` and selects `selected` (-1: none), keeping the scroll
// position where the selection allows; wide enough to scroll to the longest name.
void FillListBox(HWND list_box, const std::vector<std::string>& names, int selected);

}  // namespace morvel::gui
