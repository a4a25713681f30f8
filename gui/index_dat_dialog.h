#pragma once
// frmIndexDatViewer: the Win32 view of app::IndexDatViewer.

#include <windows.h>

#include "platform/file_system.h"
#include "platform/system_info.h"

namespace morvel::gui {

// Modal over `owner`; it only reads.
void ShowIndexDatViewer(HINSTANCE instance, HWND owner, const platform::FileSystem& files,
                        platform::SystemInfo& system);

}  // namespace morvel::gui
