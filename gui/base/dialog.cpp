#include "gui/base/dialog.h"

#include <commctrl.h>

#include "gui/base/barrier.h"
#include "gui/base/window_tools.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

// The property that leads from a dialog's window to its Dialog (a window of someone
// else's, a message box, has none).
constexpr wchar_t kDialogProperty[] = L"Morvel.Dialog";

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT o, d;
  // A hidden or minimized owner (the program in the tray) has no useful place: the work
  // area's centre instead.
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
  else
    GetWindowRect(owner, &o);
  GetWindowRect(dialog, &d);
  const int w = d.right - d.left, h = d.bottom - d.top;
  SetWindowPos(dialog, nullptr, o.left + (o.right - o.left - w) / 2,
               o.top + (o.bottom - o.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return platform::win32::Narrow(text);
}

void SetTextOf(HWND window, std::string_view text) {
  SetWindowTextW(window, platform::win32::Wide(text).c_str());
}

std::optional<int> Dialog::RunModal(HWND owner) {
  const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(template_id_), owner,
                                         Procedure, reinterpret_cast<LPARAM>(this));
  key_filter_.reset();
  hwnd_ = nullptr;
  if (result == -1 || result == 0) {
    // -1: the dialog was not created; 0: its owner was not a window.
    ReportFailure("dialog " + std::to_string(template_id_), "could not be shown");
    return std::nullopt;
  }
  return static_cast<int>(result);
}

INT_PTR CALLBACK Dialog::Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lparam);
    self->hwnd_ = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    SetPropW(dialog, kDialogProperty, self);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_DESTROY) {
    RemovePropW(dialog, kDialogProperty);
    self->key_filter_.reset();
  }
  return Guarded(
      "dialog procedure", [&] { return self->Handle(message, wparam, lparam); },
      [&]() -> INT_PTR {
        // A dialog whose set-up failed is closed as refused rather than shown half-made.
        if (message == WM_INITDIALOG) EndDialog(dialog, IDCANCEL);
        return FALSE;
      });
}

void Dialog::FilterKeys() {
  // A message filter sees what the modal loop takes from the queue before the dialog
  // manager acts on it; the hook lives on this thread only, as long as the dialog.
  key_filter_.reset(SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, GetCurrentThreadId()));
}

LRESULT CALLBACK Dialog::KeyFilter(int code, WPARAM wparam, LPARAM lparam) {
  const auto* msg = reinterpret_cast<const MSG*>(lparam);
  if (code == MSGF_DIALOGBOX && msg != nullptr && msg->message >= WM_KEYFIRST &&
      msg->message <= WM_KEYLAST && msg->hwnd != nullptr) {
    if (auto* self =
            static_cast<Dialog*>(GetPropW(GetAncestor(msg->hwnd, GA_ROOT), kDialogProperty))) {
      // Asked once: an outer dialog's filter further down the chain would ask the same one.
      return Guarded(
                 "dialog key",
                 [&] {
                   if (self->OnKey(*msg)) return true;
                   if (msg->message != WM_KEYDOWN || msg->wParam != VK_F1) return false;
                   OpenHelp(self->hwnd_, self->HelpTopic());
                   return true;
                 },
                 [] { return false; })
                 ? TRUE
                 : FALSE;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void Dialog::Initialise() {
  OnInit();
  FilterKeys();
  CentreOnOwner(hwnd_);
  // The focus starts on the default button, so that Enter answers the dialog at once,
  // whatever control comes first in the tab order.
  const LRESULT def = SendMessageW(hwnd_, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID) {
    if (HWND button = Item(LOWORD(def))) SetFocus(button);
  }
}

INT_PTR Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (OnCommand(id, HIWORD(wparam))) return TRUE;
      if (id == IDOK || id == IDCANCEL) {
        Close(id);
        return TRUE;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.code == NM_CLICK || header.code == NM_RETURN) {
        OnLink(static_cast<int>(header.idFrom));
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  if (const auto handled = OnMessage(message, wparam, lparam)) return *handled;
  return FALSE;
}

}  // namespace morvel::gui
