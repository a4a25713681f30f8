#pragma once
// frmAddRegistry and frmAddFolder: each hands back one entry of the custom list.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/custom_list_entries.h"

namespace morvel::gui {

// Modal over `owner`, filled from `form`: the entry when it closed with OK.
std::optional<std::string> AskRegistryEntry(HINSTANCE instance, HWND owner,
                                            app::RegistryEntryForm form);
std::optional<std::string> AskFolderEntry(HINSTANCE instance, HWND owner,
                                          app::FolderEntryForm form);

// Why OK did not close the dialog (or the list was not saved): an error box owned by it.
void ShowRefusal(HWND dialog, std::string_view message);

}  // namespace morvel::gui
