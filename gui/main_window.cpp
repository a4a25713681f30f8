#include "gui/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "common/text.h"
#include "engine/community/community_cleaner.h"
#include "gui/about_dialog.h"
#include "gui/base/barrier.h"
#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/cookies_dialog.h"
#include "gui/index_dat_dialog.h"
#include "gui/resource.h"
#include "gui/window_messages.h"
#include "gui/window_run_host.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::win32::Wide;

namespace {

// A caption's mnemonic in upper case: the letter after its "&" ("&&" is an ampersand).
char MnemonicOf(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return UpperAscii(caption[i + 1]);
    ++i;
  }
  return 0;
}

}  // namespace

MainWindow::MainWindow(app::ProgramState& state, platform::Port& port, WindowQuestions& questions,
                       std::string first_argument)
    : state_(state),
      port_(port),
      questions_(questions),
      first_argument_(std::move(first_argument)),
      keeper_(
          port, state.options, [this](std::uint32_t serial) { return MakeHost(serial); },
          community::ResolverWith(state.community)),
      boss_key_(*this),
      controller_(state, port, *this, boss_key_, keeper_.Launcher()) {}

MainWindow::~MainWindow() { EndRuns(); }

void MainWindow::EndRuns() {
  questions_.Close();
  keeper_.DetachAndWaitAll();
  current_host_ = nullptr;
}

std::unique_ptr<app::RunHostBase> MainWindow::MakeHost(std::uint32_t serial) {
  auto host = std::make_unique<WindowRunHost>(hwnd_, serial);
  current_host_ = host.get();
  return host;
}

bool MainWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  const auto icon = [instance](int size_metric) {
    const int size = GetSystemMetrics(size_metric);
    return ScopedIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_MORVEL), IMAGE_ICON, size, size, 0)));
  };
  icon_ = icon(SM_CXICON);
  small_icon_ = icon(SM_CXSMICON);
  const std::wstring class_name = Wide(app::kMainWindowClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // A resize repaints the whole client area: nothing moved is left behind.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon_.get();
  wc.hIconSm = small_icon_.get();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
  wc.lpszClassName = class_name.c_str();
  if (RegisterClassExW(&wc) == 0) return false;
  accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  const std::wstring caption =
      Wide(std::string(app::kProductName) + " " + std::string(app::kVersionText));
  // Design size, centred on the desktop; activation applies the stored geometry.
  const int width = state_.options.Width, height = state_.options.Height;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ =
      CreateWindowExW(0, class_name.c_str(), caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      left, top, width, height, nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void MainWindow::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  if (!activated_once_) {
    // The activation steps (stored geometry, command line, schedule) run once, when the
    // window first becomes active: repeating the "-Start" minimize at every later
    // activation would send the window back to the tray whenever it is restored.
    activated_once_ = true;
    controller_.OnActivate(first_argument_);
  }
  UpdateWindow(hwnd_);
}

bool MainWindow::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr) return false;
  if (TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0) return true;
  if (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
      OnCommand(ID_HELP_HELP);
      return true;
    }
    // The main window is no dialog: the label's mnemonic ("Cleaner &Settings") is the
    // window's to handle, and it leads to the tree the label names. Its character is taken
    // (the key itself went by, so that letting Alt go opens no menu).
    if (msg.message == WM_SYSCHAR && msg.wParam < 0x80 &&
        UpperAscii(static_cast<char>(msg.wParam)) == MnemonicOf(TextOf(Control(IDC_LABEL1)))) {
      SetFocus(Control(IDC_TREE));
      return true;
    }
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return Guarded(
      "main window", [&] { return self->Handle(message, wparam, lparam); },
      [&]() -> LRESULT {
        // A window whose controls could not all be made is not shown half-made.
        if (message == WM_CREATE) return -1;
        return DefWindowProcW(hwnd, message, wparam, lparam);
      });
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_TEST:
    case ID_ACTION_TEST:
      controller_.OnTestClick();
      break;
    case IDC_CLEAN:
    case ID_ACTION_CLEAN:
      controller_.OnCleanClick();
      break;
    case IDC_FASTMODE:
      controller_.OnFastModeClick(Button_GetCheck(Control(IDC_FASTMODE)) == BST_CHECKED);
      break;
    case ID_FILE_EXIT:
      controller_.OnExit();
      break;
    case ID_FILE_INDEXDAT:
      ShowIndexDatViewer(instance_, hwnd_, port_.files, port_.system);
      break;
    case ID_EDIT_COOKIES:
      ShowCookiesManager(instance_, hwnd_, port_);
      break;
    case ID_EDIT_SAVETEXT:
      if (controller_.SaveTextEnabled()) controller_.OnSaveText();
      break;
    case ID_HELP_HELP:
      OpenWithShell(hwnd_, port_.system.ExecutableFolder() + std::string(app::kHelpFile));
      break;
    case ID_HELP_HOMEPAGE:
      OpenWithShell(hwnd_, app::kHomePage);
      break;
    case ID_HELP_DONATE:
      OpenWithShell(hwnd_, app::kDonatePage);
      break;
    case ID_HELP_ABOUT:
      ShowAboutDialog(instance_, hwnd_);
      break;
    case ID_TRAY_OPEN:
      controller_.RestoreFromTray();
      break;
    case ID_ACTION_SETTINGS:
      controller_.OnSettings();
      break;
    case ID_EDIT_CUSTOMLISTS:
      controller_.OnCustomLists();
      break;
    default:
      break;
  }
}

void MainWindow::OnActivate(bool active) {
  // Tab moves among the controls as in a dialog, so the focus must be on one of them; it
  // comes back where it was when the window was left.
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
    return;
  }
  if (focus_ == nullptr || !IsWindow(focus_) || !IsWindowEnabled(focus_))
    focus_ = Control(IDC_TREE);
  SetFocus(focus_);
}

void MainWindow::OnAppMessage(app::AppMessage message, WPARAM wparam, LPARAM lparam) {
  // What the run wrote before this message is shown first.
  if (message != app::AppMessage::TrayCallback) DrainRun(static_cast<std::uint32_t>(lparam));
  FlushLog(true);
  controller_.Dispatch(message, static_cast<std::int32_t>(wparam),
                       static_cast<std::uint32_t>(lparam));
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {app::ScaleToDpi(app::kMinWidth, dpi_),
                              app::ScaleToDpi(app::kMinHeight, dpi_)};
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* r = reinterpret_cast<const RECT*>(lparam);
      dpi_ = HIWORD(wparam);
      CreateFonts();
      for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      design_ = app::DesignLayout(dpi_);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wparam) != WA_INACTIVE);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == IDC_TREE) return OnTreeNotify(header);
      if ((header.code == NM_CLICK || header.code == NM_RETURN) &&
          (header.idFrom == IDC_ONLINEHELP || header.idFrom == IDC_CHECKUPDATE))
        OpenWithShell(hwnd_, header.idFrom == IDC_ONLINEHELP ? app::kHomePage : app::kUpdatePage);
      return 0;
    }
    case WM_INITMENUPOPUP:
      EnableMenuItem(reinterpret_cast<HMENU>(wparam), ID_EDIT_SAVETEXT,
                     controller_.SaveTextEnabled() ? MF_ENABLED : MF_GRAYED);
      return 0;
    case WM_CTLCOLORLISTBOX:
      if (log_hidden_ && reinterpret_cast<HWND>(lparam) == Control(IDC_LOG)) {
        // The preparation pass's log: text in the background's colour.
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOW));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_TIMER:
      if (wparam == kTimer1) controller_.OnProgressTimer();
      if (wparam == kTimer2) controller_.OnUnattendedStart();
      if (wparam == kFlushTimer) FlushLog(true);
      return 0;
    case kMsgDrainRun:
      DrainRun(static_cast<std::uint32_t>(wparam));
      return 0;
    case kMsgAskQuestion:
      questions_.Answer(wparam);
      return 0;
    case kMsgSyncTree:
      SyncTreeStates();
      return 0;
    case WM_HOTKEY:
      boss_key_.OnHotKey(static_cast<std::uint32_t>(wparam));
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        controller_.OnSysMinimize(lparam == 1);
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      return controller_.OnQueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      controller_.OnEndSession(wparam != FALSE);
      return 0;
    case WM_CLOSE:
      controller_.OnClose();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      SetTrayIcon(false);
      PostQuitMessage(0);
      return 0;
    default:
      if (message >= static_cast<UINT>(app::AppMessage::UnattendedRun) &&
          message <= static_cast<UINT>(app::AppMessage::RunFailed)) {
        OnAppMessage(static_cast<app::AppMessage>(message), wparam, lparam);
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace morvel::gui
