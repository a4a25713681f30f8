#include "gui/options_dialog.h"

#include <commctrl.h>

#include <array>
#include <span>
#include <string>

#include "app/help_topics.h"
#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/resource.h"
#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

using platform::win32::Wide;

constexpr int kCommon[] = {IDC_OPT_FASTSCAN,  IDC_OPT_LOGTIF,    IDC_OPT_LOGRECYCLE,
                           IDC_OPT_ASKCLEAR,  IDC_OPT_AUTOSTART, IDC_OPT_WIPEFILE,
                           IDC_OPT_WIPENUMBER};
constexpr int kSchedule[] = {IDC_OPT_AUTOWASH,      IDC_OPT_INTERVALS,     IDC_OPT_INTERVAL0,
                             IDC_OPT_INTERVAL0 + 1, IDC_OPT_INTERVAL0 + 2, IDC_OPT_INTERVAL0 + 3,
                             IDC_OPT_INTERVAL0 + 4, IDC_OPT_STARTWASH,     IDC_OPT_SHUTDOWNWASH};
constexpr int kBossKey[] = {IDC_OPT_BOSSLABEL1, IDC_OPT_BOSSKEY, IDC_OPT_BOSSLABEL2, IDC_OPT_HIDE};
struct Page {
  const wchar_t* caption;
  std::span<const int> controls;
};
constexpr std::array<Page, 3> kPages = {Page{L"Common", kCommon}, Page{L"Schedule", kSchedule},
                                        Page{L"Boss Key", kBossKey}};
constexpr int kIntervals = static_cast<int>(app::kWashIntervals.size());

class OptionsView final : public Dialog {
 public:
  OptionsView(HINSTANCE instance, app::OptionsDialog& dialog, app::HotKeyPort& hot_keys)
      : Dialog(instance, IDD_OPTIONS), dialog_(dialog), hot_keys_(hot_keys) {}

 protected:
  std::string_view HelpTopic() const override { return app::kHelpSettings; }
  void OnInit() override {
    HWND pages = Item(IDC_OPT_PAGES);
    for (std::size_t i = 0; i < kPages.size(); ++i) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(kPages[i].caption);
      TabCtrl_InsertItem(pages, static_cast<int>(i), &item);
    }
    for (int n = 1; n <= 10; ++n)
      SendMessageW(Item(IDC_OPT_WIPENUMBER), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
    CreateWipeHint();
    // Where the theme gives the tab strip's page a texture of its own, the dialog takes it,
    // so that the controls on the page do not stand on grey patches.
    using EnableTexture = HRESULT(WINAPI*)(HWND, DWORD);
    const auto uxtheme = platform::win32::Library::Load(L"uxtheme.dll");
    if (const auto enable = uxtheme.Find<EnableTexture>("EnableThemeDialogTexture"))
      enable(hwnd(), 6 /* ETDT_ENABLETAB */);
    Show(dialog_.initial());
    ShowPage(0, false);
  }

  bool OnCommand(int id, int notification) override {
    if (id == IDOK) {
      app::OptionsForm form = Read();
      if (dialog_.OnOk(form, hot_keys_))
        Close(IDOK);
      else
        SetText(IDC_OPT_HIDE, form.hide_text);
      return true;
    }
    if (notification != BN_CLICKED) return false;
    if (id == IDC_OPT_AUTOWASH) EnableIntervals();
    if (id == IDC_OPT_WIPEFILE) SwitchWipeHint(true);
    return false;
  }

  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NOTIFY) {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == IDC_OPT_PAGES && header.code == TCN_SELCHANGE)
        ShowPage(TabCtrl_GetCurSel(header.hwndFrom), false);
      return std::nullopt;
    }
    // The capture edit is read-only (nothing may be typed or pasted into it) but looks
    // like the input it is.
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lparam) == Item(IDC_OPT_HIDE)) {
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    return std::nullopt;
  }

  bool OnKey(const MSG& m) override {
    const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
               alt = GetKeyState(VK_MENU) < 0;
    const auto key = static_cast<std::uint16_t>(m.wParam);
    // Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+PageDown, Ctrl+PageUp) turn the pages.
    const bool in_capture = m.hwnd == Item(IDC_OPT_HIDE);
    if (down && ctrl && !alt && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR)) {
      if (in_capture) SetText(IDC_OPT_HIDE, dialog_.OnKeyPassed());
      const bool back = key == VK_PRIOR || (key == VK_TAB && shift);
      ShowPage((page_ + (back ? kPages.size() - 1 : 1)) % kPages.size(), true);
      return true;
    }
    if (!in_capture) return false;
    if (down) {
      // Tab, Enter and Esc alone stay the dialog's: the next control, OK and Cancel.
      if (!ctrl && !alt && (key == VK_TAB || (!shift && (key == VK_RETURN || key == VK_ESCAPE)))) {
        SetText(IDC_OPT_HIDE, dialog_.OnKeyPassed());
        return false;
      }
      SetText(IDC_OPT_HIDE, dialog_.OnKeyDown(key, {ctrl, shift, alt}));
      return true;
    }
    // Nothing typed reaches the edit, and Alt let go there opens no menu.
    return m.message != WM_KEYUP;
  }

 private:
  void Show(const app::OptionsForm& f) {
    SetChecked(IDC_OPT_FASTSCAN, f.fast_scan);
    SetChecked(IDC_OPT_LOGTIF, f.show_log_temp_internet_files);
    SetChecked(IDC_OPT_LOGRECYCLE, f.show_log_recycle_bin);
    SetChecked(IDC_OPT_ASKCLEAR, f.ask_clear);
    SetChecked(IDC_OPT_AUTOSTART, f.auto_start);
    SetChecked(IDC_OPT_WIPEFILE, f.wipe_file);
    SendMessageW(Item(IDC_OPT_WIPENUMBER), CB_SETCURSEL, f.wipe_number, 0);
    SetChecked(IDC_OPT_AUTOWASH, f.auto_wash);
    for (int i = 0; i < kIntervals; ++i) SetChecked(IDC_OPT_INTERVAL0 + i, i == f.wash_interval);
    SetChecked(IDC_OPT_STARTWASH, f.start_wash);
    SetChecked(IDC_OPT_SHUTDOWNWASH, f.shutdown_wash);
    SetChecked(IDC_OPT_BOSSKEY, f.boss_key);
    SetText(IDC_OPT_HIDE, f.hide_text);
    EnableIntervals();
    SwitchWipeHint(false);
  }

  app::OptionsForm Read() const {
    app::OptionsForm f;
    f.fast_scan = Checked(IDC_OPT_FASTSCAN);
    f.show_log_temp_internet_files = Checked(IDC_OPT_LOGTIF);
    f.show_log_recycle_bin = Checked(IDC_OPT_LOGRECYCLE);
    f.ask_clear = Checked(IDC_OPT_ASKCLEAR);
    f.auto_start = Checked(IDC_OPT_AUTOSTART);
    f.wipe_file = Checked(IDC_OPT_WIPEFILE);
    f.wipe_number = static_cast<int>(SendMessageW(Item(IDC_OPT_WIPENUMBER), CB_GETCURSEL, 0, 0));
    f.auto_wash = Checked(IDC_OPT_AUTOWASH);
    for (int i = 0; i < kIntervals; ++i)
      if (Checked(IDC_OPT_INTERVAL0 + i)) f.wash_interval = i;
    f.start_wash = Checked(IDC_OPT_STARTWASH);
    f.shutdown_wash = Checked(IDC_OPT_SHUTDOWNWASH);
    f.boss_key = Checked(IDC_OPT_BOSSKEY);
    f.hide_text = Text(IDC_OPT_HIDE);
    return f;
  }

  void EnableIntervals() {
    for (int i = 0; i < kIntervals; ++i)
      EnableWindow(Item(IDC_OPT_INTERVAL0 + i), Checked(IDC_OPT_AUTOWASH));
  }

  void ShowPage(std::size_t page, bool by_keyboard) {
    HWND focus = GetFocus();
    const bool focus_on_page = focus != nullptr && focus != Item(IDC_OPT_PAGES) &&
                               IsChild(hwnd(), focus) && GetDlgCtrlID(focus) != IDOK &&
                               GetDlgCtrlID(focus) != IDCANCEL;
    page_ = page;
    for (std::size_t p = 0; p < kPages.size(); ++p)
      for (int id : kPages[p].controls) ShowWindow(Item(id), p == page ? SW_SHOW : SW_HIDE);
    TabCtrl_SetCurSel(Item(IDC_OPT_PAGES), static_cast<int>(page));
    // The focus does not stay on a control that went with its page: the new page's first.
    if (!by_keyboard || !focus_on_page) return;
    for (int id : kPages[page].controls) {
      HWND control = Item(id);
      if ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(control)) {
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        return;
      }
    }
  }

  // The overwrite box's hint shows at once while the box is ticked.
  void CreateWipeHint() {
    tip_ = AddHint(hwnd(), Item(IDC_OPT_WIPEFILE), app::kWipeHint);
    if (tip_ == nullptr) return;  // the box works without its hint
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 360);
  }
  void SwitchWipeHint(bool clicked) {
    if (tip_ == nullptr) return;
    const bool on = Checked(IDC_OPT_WIPEFILE);
    if (on && clicked) SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    SendMessageW(tip_, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
  }

  app::OptionsDialog& dialog_;
  app::HotKeyPort& hot_keys_;
  std::size_t page_ = 0;
  HWND tip_ = nullptr;  // owned by the dialog's window, destroyed with it
};

}  // namespace

void ShowOptionsDialog(HINSTANCE instance, HWND owner, app::OptionsDialog& dialog,
                       app::HotKeyPort& hot_keys) {
  OptionsView view(instance, dialog, hot_keys);
  view.RunModal(owner);
}

}  // namespace morvel::gui
