#pragma once
// A string of the program's string table.

#include <windows.h>

#include <string>

namespace morvel::gui {

// The string `id` of the module's string table in UTF-8; empty text when there is none.
std::string ResourceString(HINSTANCE instance, UINT id);

}  // namespace morvel::gui
