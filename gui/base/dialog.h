#pragma once
// The base of every modal dialog: one procedure behind the exception barrier, the dialog
// centred on its owner with the focus on its default button, Enter and Esc (and the close
// box) closing it through IDOK and IDCANCEL, links reported by id, and controls read and
// set by id in UTF-8. A dialog fills its controls from values and hands values back; the
// controller that opened it commits them.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace morvel::gui {

// A window's text in UTF-8, and back.
std::string TextOf(HWND window);
void SetTextOf(HWND window, std::string_view text);

class Dialog {
 public:
  Dialog(HINSTANCE instance, int template_id) : instance_(instance), template_id_(template_id) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog modally over `owner`. The id that closed it (IDOK, IDCANCEL, ...),
  // or nullopt when the dialog could not be shown (the caller treats that as a refusal).
  std::optional<int> RunModal(HWND owner);

 protected:
  virtual void OnInit() {}
  // A command from a control; true when handled. IDOK and IDCANCEL close the dialog with
  // their id unless handled here.
  virtual bool OnCommand(int /*id*/, int /*notification*/) { return false; }
  // A click (or Enter) on the link control `id`.
  virtual void OnLink(int /*id*/) {}
  // Any other message; a value when handled.
  virtual std::optional<INT_PTR> OnMessage(UINT /*message*/, WPARAM, LPARAM) {
    return std::nullopt;
  }
  // A key message for any control of the dialog before the dialog manager sees it (Tab,
  // Enter, Esc, mnemonics); true when handled, and it goes no further. F1 that no dialog
  // takes opens the help. Of nested dialogs, the one the message's window belongs to is
  // asked.
  virtual bool OnKey(const MSG& /*message*/) { return false; }
  // The page of the help file that F1 opens over this dialog; empty for the file's first.
  [[nodiscard]] virtual std::string_view HelpTopic() const { return {}; }

  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  [[nodiscard]] HINSTANCE instance() const { return instance_; }
  [[nodiscard]] HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  [[nodiscard]] std::string Text(int id) const { return TextOf(Item(id)); }
  void SetText(int id, std::string_view text) { SetTextOf(Item(id), text); }
  [[nodiscard]] bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void SetChecked(int id, bool on) { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
  void Close(int result) { EndDialog(hwnd_, result); }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Initialise();
  void FilterKeys();

  static LRESULT CALLBACK KeyFilter(int code, WPARAM wparam, LPARAM lparam);
  struct HookDeleter {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
  };

  HINSTANCE instance_;
  int template_id_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter> key_filter_;
};

}  // namespace morvel::gui
