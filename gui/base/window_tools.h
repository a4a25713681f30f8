#pragma once
// Small Win32 calls every view makes the same way: a message box, opening something with
// the shell, a control's hint.

#include <windows.h>

#include <string>
#include <string_view>

namespace morvel::gui {

// MessageBoxW with UTF-8 text and caption; the button pressed.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

// Opens `target` (a file, a web page, a mail address, a program) with the shell. The
// shell's answer is ignored: no browser or help viewer is not the program's failure.
void OpenWithShell(HWND owner, std::string_view target, int show = SW_SHOW);

// The running program's full path (GetModuleFileName, however long).
std::string ProgramPath();

// The help file (Morvel.chm beside the program) in the help viewer at its page `topic`
// ("settings.htm"), or as the shell opens it when `topic` is empty. Whether a viewer came
// is not the program's failure, as for OpenWithShell.
void OpenHelp(HWND owner, std::string_view topic = {});

// A tooltip of `owner` that shows `text` while the pointer rests on `control`; null when
// it cannot be made (the control works on without it). The tooltip keeps its own copy of
// the text and goes with its owner.
HWND AddHint(HWND owner, HWND control, std::string_view text, DWORD ex_style = 0);

}  // namespace morvel::gui
