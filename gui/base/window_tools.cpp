#include "gui/base/window_tools.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/product.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::win32::Wide;

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), type);
}

void OpenWithShell(HWND owner, std::string_view target, int show) {
  ShellExecuteW(owner, L"open", Wide(target).c_str(), nullptr, nullptr, show);
}

std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return platform::win32::Narrow(path.substr(0, length));
    path.resize(path.size() * 2);  // cut short: a longer buffer
  }
}

void OpenHelp(HWND owner, std::string_view topic) {
  std::string file = ProgramPath();
  file = file.substr(0, file.find_last_of('\\') + 1) + std::string(app::kHelpFile);
  if (topic.empty()) {
    OpenWithShell(owner, file);
    return;
  }
  // The viewer takes the rest of its command line as one name, blanks and all, so the
  // path goes unquoted; "::/" names the page inside the file.
  const std::wstring page = Wide(file + "::/" + std::string(topic));
  ShellExecuteW(owner, L"open", L"hh.exe", page.c_str(), nullptr, SW_SHOW);
}

HWND AddHint(HWND owner, HWND control, std::string_view text, DWORD ex_style) {
  HWND tip = CreateWindowExW(
      ex_style, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
  if (tip == nullptr) return nullptr;
  std::wstring wide = Wide(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  return tip;
}

}  // namespace morvel::gui
