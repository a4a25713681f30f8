// The main window as the controller's view: the log, progress, captions, timers, tray and
// the boss key's window calls.
#include "gui/main_window.h"

#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "gui/ask_delete_dialog.h"
#include "gui/base/barrier.h"
#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/custom_list_dialogs.h"
#include "gui/options_dialog.h"
#include "gui/progress_caption.h"
#include "gui/resource.h"
#include "gui/window_messages.h"
#include "gui/window_run_host.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::win32::Narrow;
using platform::win32::Wide;

namespace {

constexpr UINT kTrayCallback = static_cast<UINT>(app::AppMessage::TrayCallback);

BOOL CALLBACK ShowBrowserWindow(HWND window, LPARAM hide) {
  return Guarded(
      "boss key",
      [&] {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        if (app::IsBrowserClass(Narrow(name))) ShowWindow(window, hide != 0 ? SW_HIDE : SW_SHOW);
        return TRUE;
      },
      [] { return TRUE; });
}

// The captions the controller gives bTest, with the letter Alt reaches them by. "Cancel"
// has none: Alt+C is the Clean button's.
std::string WithMnemonic(std::string_view caption) {
  if (caption == "Test") return "&Test";
  return std::string(caption);
}

}  // namespace

void MainWindow::DrainRun(std::uint32_t serial) {
  if (current_host_ == nullptr || current_host_->serial() != serial) return;
  current_host_->Drain([this](const app::RunEntry& e) {
    switch (e.kind) {
      case app::RunEntry::Kind::Line:
        log_.push_back(e.text);
        pending_log_.push_back(Wide(e.text));
        break;
      case app::RunEntry::Kind::Caption:
        SetTextOf(Control(IDC_CURRENTITEM), e.text);
        break;
      case app::RunEntry::Kind::Scroll:
      case app::RunEntry::Kind::Step:
        break;
    }
  });
  FlushLog(false);
}

void MainWindow::FlushLog(bool force) {
  if (pending_log_.empty()) return;
  const DWORD now = GetTickCount();
  if (!force && log_buffered_ && now - last_log_paint_ < kLogPaintEveryMs) {
    // Taken from the run already; the list box gets them with the next batch, at the
    // latest when the flush timer fires.
    SetTimer(hwnd_, kFlushTimer, kLogPaintEveryMs, nullptr);
    return;
  }
  KillTimer(hwnd_, kFlushTimer);
  HWND log = Control(IDC_LOG);
  SendMessageW(log, WM_SETREDRAW, FALSE, 0);
  const auto count = static_cast<std::size_t>(SendMessageW(log, LB_GETCOUNT, 0, 0));
  // Room for the batch at once instead of growing item by item.
  SendMessageW(log, LB_INITSTORAGE, pending_log_.size(), 0);
  for (const std::wstring& line : pending_log_)
    SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  pending_log_.clear();
  SendMessageW(log, LB_SETTOPINDEX, std::max<std::size_t>(count, log_.size()) - 1, 0);
  SendMessageW(log, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(log, nullptr, TRUE);
  last_log_paint_ = now;
}

void MainWindow::ShowMessage(std::string_view text) {
  WindowQuestions::ShowBox(hwnd_, {text, app::kProductName, platform::Buttons::Ok,
                                   platform::Icon::Information, platform::Answer::Ok});
}

app::AskAnswer MainWindow::AskBeforeCleaning() { return gui::AskBeforeCleaning(instance_, hwnd_); }

// A disabled main window has a modal dialog over it already (reached again through the
// tray menu): no second one opens.
void MainWindow::OpenCustomListsEditor(app::CustomListEditor& editor) {
  if (IsWindowEnabled(hwnd_)) ShowCustomListsDialog(instance_, hwnd_, editor);
}

void MainWindow::OpenSettings(app::OptionsDialog& dialog) {
  if (IsWindowEnabled(hwnd_)) ShowOptionsDialog(instance_, hwnd_, dialog, *this);
}

std::string MainWindow::ProgramPath() const { return gui::ProgramPath(); }

std::optional<std::string> MainWindow::AskSaveFileName(std::string_view folder,
                                                       std::string_view name) {
  wchar_t file[MAX_PATH] = {};
  const std::wstring first = Wide(name).substr(0, MAX_PATH - 1);
  std::copy(first.begin(), first.end(), file);
  const std::wstring initial = Wide(folder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = L"Text files (*.txt)\0*.txt\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = L"Save as Text";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  return Narrow(file);
}

void MainWindow::SetTestCaption(std::string_view caption) {
  SetTextOf(Control(IDC_TEST), WithMnemonic(caption));
}

void MainWindow::ShowProgressArea() {
  for (int id : {IDC_PROGRESS, IDC_LABEL2, IDC_CURRENTITEM, IDC_TOTALITEMS, IDC_NUMBER})
    ShowWindow(Control(id), SW_SHOW);
}

void MainWindow::SetProgressPosition(int position) {
  SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, position, 0);
  SetProgressCaption(std::to_string(position / 10) + "%");
}

void MainWindow::SetProgressCaption(std::string_view caption) {
  // The bar's window text is its caption; it is drawn on the bar only while shown.
  SetTextOf(Control(IDC_PROGRESS), caption);
  InvalidateRect(Control(IDC_PROGRESS), nullptr, FALSE);
}

void MainWindow::ShowProgressCaption(bool show) {
  SetProgressCaptionShown(Control(IDC_PROGRESS), show);
}

void MainWindow::SetTotalTitle(std::string_view title) {
  SetTextOf(Control(IDC_TOTALITEMS), title);
  Layout();  // lNumber goes 5 pixels right of the title
}

void MainWindow::SetNumber(std::string_view number) { SetTextOf(Control(IDC_NUMBER), number); }

void MainWindow::SetFastModeBox(bool ticked) {
  Button_SetCheck(Control(IDC_FASTMODE), ticked ? BST_CHECKED : BST_UNCHECKED);
}

void MainWindow::ClearLog() {
  FlushLog(true);
  log_.clear();
  pending_log_.clear();
  SendMessageW(Control(IDC_LOG), LB_RESETCONTENT, 0, 0);
  SendMessageW(Control(IDC_LOG), LB_SETHORIZONTALEXTENT, 0, 0);
}

void MainWindow::SetLogHidden(bool hidden) {
  log_hidden_ = hidden;
  InvalidateRect(Control(IDC_LOG), nullptr, TRUE);
}

void MainWindow::SetLogBuffered(bool buffered) {
  log_buffered_ = buffered;
  if (!buffered) FlushLog(true);
}

void MainWindow::FinishLog() {
  FlushLog(true);
  HWND log = Control(IDC_LOG);
  LONG widest = 0;
  {
    const WindowDc dc(log);
    const Selection font(dc.get(), font_.get());
    for (const std::string& line : log_) {
      const std::wstring wide = Wide(line);
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
      widest = std::max(widest, size.cx);
    }
  }
  SendMessageW(log, LB_SETHORIZONTALEXTENT, widest + 10, 0);
  if (!log_.empty()) SendMessageW(log, LB_SETTOPINDEX, log_.size() - 1, 0);
}

void MainWindow::AddLogLine(std::string_view line) {
  log_.emplace_back(line);
  pending_log_.push_back(Wide(line));
  FlushLog(true);
}

void MainWindow::SetProgressTimer(bool on) {
  if (on)
    SetTimer(hwnd_, kTimer1, 500, nullptr);
  else
    KillTimer(hwnd_, kTimer1);
}

void MainWindow::SetScheduleTimer(bool on, std::int32_t interval_ms) {
  KillTimer(hwnd_, kTimer2);
  if (on) SetTimer(hwnd_, kTimer2, static_cast<UINT>(interval_ms), nullptr);
}

void MainWindow::Post(app::AppMessage message) {
  // The controller's own requests (the removal pass, an unattended run) must not be lost
  // to a full queue: then they are handled at once.
  if (!PostMessageW(hwnd_, static_cast<UINT>(message), 0, 0))
    SendMessageW(hwnd_, static_cast<UINT>(message), 0, 0);
}

void MainWindow::PostStartupMinimize() { PostMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 1); }

void MainWindow::ApplyGeometry(bool maximized, std::int32_t left, std::int32_t top,
                               std::int32_t width, std::int32_t height) {
  if (maximized) {
    ShowWindow(hwnd_, SW_MAXIMIZE);
    return;
  }
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SaveSettings() {
  WindowPlacement placement;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (GetWindowPlacement(hwnd_, &wp)) placement.show_command = static_cast<int>(wp.showCmd);
  RECT r{};
  GetWindowRect(hwnd_, &r);
  placement.left = r.left;
  placement.top = r.top;
  placement.width = r.right - r.left;
  placement.height = r.bottom - r.top;
  placement.dpi = dpi_;
  app::SaveProgramState(port_, state_, placement);
}

void MainWindow::CloseWindow() {
  // A close that cannot be posted (a full queue) is made at once: the program must end.
  if (!PostMessageW(hwnd_, WM_CLOSE, 0, 0)) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::WaitWhile(const std::function<bool()>& busy) {
  MSG msg;
  while (IsWindow(hwnd_) && busy()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The loop that ends the program must see the quit too.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void MainWindow::SetTrayIcon(bool add) {
  if (add == tray_icon_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = hwnd_;
  data.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(hwnd_));  // the window's handle value
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = small_icon_ ? small_icon_.get() : icon_.get();
  wcsncpy(data.szTip, Wide(app::kTrayTip).c_str(), 63);
  // Failures are ignored: the program works on without its icon.
  Shell_NotifyIconW(add ? NIM_ADD : NIM_DELETE, &data);
  tray_icon_ = add;
}

void MainWindow::MinimizeToTray() {
  // Minimize towards the tray, then hide: no taskbar button while in the tray.
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, saved_ex_style_ | WS_EX_TOOLWINDOW);
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    if (HWND area = FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr)) {
      RECT r;
      GetWindowRect(area, &r);
      WINDOWPLACEMENT wp{};
      wp.length = sizeof wp;
      GetWindowPlacement(hwnd_, &wp);
      wp.flags |= WPF_SETMINPOSITION;
      wp.ptMinPosition = {r.left, r.top};
      SetWindowPlacement(hwnd_, &wp);
    }
  }
  DefWindowProcW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, saved_ex_style_);
  ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::ShowMainWindow() {
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_SHOWMINNOACTIVE : SW_SHOW);
}

bool MainWindow::WindowMinimized() const { return IsIconic(hwnd_) != FALSE; }

void MainWindow::RestoreApplication() { ShowWindow(hwnd_, SW_RESTORE); }

void MainWindow::BringToFront() {
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, saved_ex_style_);
  SetForegroundWindow(hwnd_);
}

void MainWindow::ShowTrayMenu() {
  SetForegroundWindow(hwnd_);
  POINT cursor;
  GetCursorPos(&cursor);
  const ScopedMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAYMENU)));
  if (menu)
    TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_,
                   nullptr);
}

std::uint16_t MainWindow::AddAtom(std::string_view name) {
  return GlobalAddAtomW(Wide(name).c_str());
}
std::uint16_t MainWindow::FindAtom(std::string_view name) {
  return GlobalFindAtomW(Wide(name).c_str());
}
void MainWindow::DeleteAtom(std::uint16_t atom) { GlobalDeleteAtom(atom); }
bool MainWindow::RegisterHotKey(std::uint16_t id, unsigned modifiers, std::uint16_t key) {
  return ::RegisterHotKey(hwnd_, id, modifiers, key) != FALSE;
}
void MainWindow::UnregisterHotKey(std::uint16_t id) { ::UnregisterHotKey(hwnd_, id); }
void MainWindow::ShowError(std::string_view text) {
  ShowMessageBox(GetActiveWindow(), text, app::kProductName, MB_OK | MB_ICONERROR);
}
void MainWindow::ShowBrowsers(bool hide) { EnumWindows(ShowBrowserWindow, hide ? 1 : 0); }

}  // namespace morvel::gui
