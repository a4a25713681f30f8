#pragma once
// The main window's private messages and timers (the application's own message numbers,
// shared with other programs, are app::AppMessage).

#include <windows.h>

namespace morvel::gui {

// wParam = the host's serial: take the run's stored lines and steps.
inline constexpr UINT kMsgDrainRun = WM_APP + 0x100;
// wParam = a question's ticket: show the question a worker waits on.
inline constexpr UINT kMsgAskQuestion = WM_APP + 0x101;
// The tree toggles its own box after a click: the catalogue's states are shown again.
inline constexpr UINT kMsgSyncTree = WM_APP + 0x102;

inline constexpr UINT_PTR kTimer1 = 1;      // progress animation
inline constexpr UINT_PTR kTimer2 = 2;      // schedule
inline constexpr UINT_PTR kFlushTimer = 3;  // log lines waiting for the list box
inline constexpr DWORD kLogPaintEveryMs = 100;

}  // namespace morvel::gui
