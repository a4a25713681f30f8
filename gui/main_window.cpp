#include "gui/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "gui/dialogs.h"
#include "gui/resource.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::win32::Narrow;
using platform::win32::Wide;

namespace {

constexpr wchar_t kClassName[] = L"Morvel Made by Quillon Software";
constexpr UINT kMsgSyncTree = WM_APP + 0x102;
constexpr wchar_t kHintText[] = L"Clean up all traces of your PC and Internet activity";
constexpr wchar_t kUpdatePage[] = L"https://morvel.quillon.example/update";
constexpr wchar_t kDonatePage[] = L"https://morvel.quillon.example/donate";

LPARAM NodeParam(std::size_t root, std::optional<std::size_t> leaf) {
  return static_cast<LPARAM>((root << 16) | (leaf ? *leaf + 1 : 0));
}
NodeRef NodeOf(LPARAM param) {
  const auto p = static_cast<std::size_t>(param);
  const std::size_t leaf = p & 0xFFFF;
  return NodeRef{p >> 16, leaf == 0 ? std::nullopt : std::optional<std::size_t>(leaf - 1)};
}

void Place(HWND control, const app::Rect& r, int dx = 0, int dy = 0) {
  MoveWindow(control, r.left + dx, r.top + dy, r.width, r.height, TRUE);
}

}  // namespace

MainWindow::MainWindow(app::ProgramState& state, platform::Port& port, WindowQuestions& questions,
                       std::string first_argument)
    : state_(state),
      port_(port),
      questions_(questions),
      first_argument_(std::move(first_argument)),
      keeper_(port, state.options, [this](std::uint32_t serial) { return MakeHost(serial); }),
      boss_key_(*this),
      controller_(state, port, *this, boss_key_, keeper_.Launcher()) {}

MainWindow::~MainWindow() {
  EndRuns();
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(title_font_),
                    static_cast<HGDIOBJ>(hint_font_), static_cast<HGDIOBJ>(title_picture_)})
    if (o != nullptr) DeleteObject(o);
}

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
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MORVEL));
  small_icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MORVEL), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.hIconSm = small_icon_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc) == 0) return false;
  accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  const std::wstring caption =
      Wide(std::string(app::kProductName) + " " + std::string(app::kVersionText));
  // Design size, centred on the desktop; activation applies the stored geometry.
  const int width = kDesignWidth, height = kDesignHeight;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          left, top, width, height, nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void MainWindow::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  if (!activated_once_) {
    // The activation steps (stored geometry, command line, schedule) run once, when the
    // window first becomes active: repeating the "-Start" minimize at every later
    // activation would send the window back to the tray whenever it is restored.
    activated_once_ = true;
    controller_.OnActivate(first_argument_);
  }
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
  return self->Handle(message, wparam, lparam);
}

void MainWindow::OnCreate() {
  // GetDpiForWindow exists from Windows 10 on; older systems are at 96 for the program.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  dpi_ = dpi_for_window != nullptr ? static_cast<int>(dpi_for_window(hwnd_)) : 96;
  if (dpi_ <= 0) dpi_ = 96;
  design_ = app::DesignLayout();
  for (app::Rect* r :
       {&design_.title, &design_.tree, &design_.group, &design_.progress, &design_.log,
        &design_.test, &design_.clean, &design_.label2, &design_.current_item, &design_.total_items,
        &design_.number, &design_.panel, &design_.check_update, &design_.fast_mode})
    *r = {Scaled(r->left), Scaled(r->top), Scaled(r->width), Scaled(r->height)};
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW lf = metrics.lfMessageFont;
  lf.lfHeight = -Scaled(12);
  font_ = CreateFontIndirectW(&lf);
  lf.lfHeight = -Scaled(22);
  lf.lfWeight = FW_BOLD;
  title_font_ = CreateFontIndirectW(&lf);
  lf.lfHeight = -Scaled(12);
  lf.lfWeight = FW_NORMAL;
  hint_font_ = CreateFontIndirectW(&lf);
  title_picture_ = LoadPictureResource(instance_, IDP_TITLE);
  CreateControls();
  FillTree();
  saved_ex_style_ = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  controller_.OnCreate(first_argument_);
}

void MainWindow::CreateControls() {
  const auto make = [&](DWORD ex, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    HWND h = CreateWindowExW(ex, cls, text, WS_CHILD | style, 0, 0, 10, 10, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return h;
  };
  make(0, L"STATIC", L"Cleaner Settings", WS_VISIBLE, IDC_LABEL1);
  HWND tree = make(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
      IDC_TREE);
  // Check boxes are turned on after creation, as the control wants.
  SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_CHECKBOXES);
  make(0, L"BUTTON", L"Progress", WS_VISIBLE | BS_GROUPBOX, IDC_GROUP);
  make(0, PROGRESS_CLASSW, L"", PBS_SMOOTH, IDC_PROGRESS);
  SendMessageW(Control(IDC_PROGRESS), PBM_SETRANGE32, 0, 1000);
  AttachProgressCaption(Control(IDC_PROGRESS));
  make(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
       WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY,
       IDC_LOG);
  make(0, L"STATIC", L"Clearing:", 0, IDC_LABEL2);
  make(0, L"STATIC", L"", SS_ENDELLIPSIS, IDC_CURRENTITEM);
  make(0, L"STATIC", L"", 0, IDC_TOTALITEMS);
  make(0, L"STATIC", L"0", 0, IDC_NUMBER);
  make(0, L"BUTTON", L"Test", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_TEST);
  make(0, L"BUTTON", L"Clean", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_CLEAN);
  make(0, WC_LINK, L"<a>Online Help</a>", WS_VISIBLE | WS_TABSTOP, IDC_ONLINEHELP);
  make(0, WC_LINK, L"<a>Check for updates now...</a>", WS_VISIBLE | WS_TABSTOP, IDC_CHECKUPDATE);
  HWND fast =
      make(0, L"BUTTON", L"Fast Mode", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, IDC_FASTMODE);
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             hwnd_, nullptr, instance_, nullptr);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(fast);
  wchar_t hint[] = L"Fast mode, not show detailed log of all cleaner settings";
  tool.lpszText = hint;
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::FillTree() {
  HWND tree = Control(IDC_TREE);
  TreeView_DeleteAllItems(tree);
  const auto& roots = state_.catalogue.roots();
  for (std::size_t r = 0; r < roots.size(); ++r) {
    std::wstring text = Wide(roots[r].text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = text.data();
    insert.item.lParam = NodeParam(r, std::nullopt);
    HTREEITEM root = TreeView_InsertItem(tree, &insert);
    for (std::size_t l = 0; l < roots[r].children.size(); ++l) {
      std::wstring leaf = Wide(roots[r].children[l].text);
      insert.hParent = root;
      insert.item.pszText = leaf.data();
      insert.item.lParam = NodeParam(r, l);
      TreeView_InsertItem(tree, &insert);
    }
    if (roots[r].expanded) TreeView_Expand(tree, root, TVE_EXPAND);
  }
  SyncTreeStates();
  TreeView_EnsureVisible(tree, TreeView_GetRoot(tree));
}

void MainWindow::SyncTreeStates() {
  HWND tree = Control(IDC_TREE);
  for (HTREEITEM root = TreeView_GetRoot(tree); root != nullptr;
       root = TreeView_GetNextSibling(tree, root)) {
    for (HTREEITEM item = root; item != nullptr; item = item == root
                                                            ? TreeView_GetChild(tree, root)
                                                            : TreeView_GetNextSibling(tree, item)) {
      TVITEMW tv{};
      tv.mask = TVIF_PARAM;
      tv.hItem = item;
      TreeView_GetItem(tree, &tv);
      const int state = state_.catalogue.StateOf(NodeOf(tv.lParam)) == kTicked ? 2 : 1;
      TreeView_SetItemState(tree, item, INDEXTOSTATEIMAGEMASK(state), TVIS_STATEIMAGEMASK);
    }
  }
}

void MainWindow::OnTreeNotify(const NMHDR& header) {
  HWND tree = Control(IDC_TREE);
  if (header.code == NM_CLICK) {
    TVHITTESTINFO hit{};
    const DWORD pos = GetMessagePos();
    hit.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (item == nullptr) return;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    TreeView_GetItem(tree, &tv);
    const HitArea area = (hit.flags & TVHT_ONITEMSTATEICON) != 0 ? HitArea::StateImage
                         : (hit.flags & TVHT_ONITEMLABEL) != 0   ? HitArea::Label
                                                                 : HitArea::Elsewhere;
    state_.catalogue.OnMouseDown(NodeOf(tv.lParam), area);
    // The control toggles its own box after this: the model's states win afterwards.
    PostMessageW(hwnd_, kMsgSyncTree, 0, 0);
  } else if (header.code == TVN_ITEMEXPANDEDW) {
    const auto& nm = reinterpret_cast<const NMTREEVIEWW&>(header);
    const NodeRef node = NodeOf(nm.itemNew.lParam);
    if (!node.leaf && node.root < state_.catalogue.roots().size())
      state_.catalogue.roots()[node.root].expanded = (nm.itemNew.state & TVIS_EXPANDED) != 0;
  } else if (header.code == TVN_KEYDOWN &&
             reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
    if (HTREEITEM item = TreeView_GetSelection(tree)) {
      TVITEMW tv{};
      tv.mask = TVIF_PARAM;
      tv.hItem = item;
      TreeView_GetItem(tree, &tv);
      state_.catalogue.OnMouseDown(NodeOf(tv.lParam), HitArea::StateImage);
      PostMessageW(hwnd_, kMsgSyncTree, 0, 0);
    }
  }
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  app::MainLayout current = design_;
  HWND total = Control(IDC_TOTALITEMS);
  wchar_t text[128] = {};
  GetWindowTextW(total, text, 128);
  HDC dc = GetDC(total);
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(total, dc);
  current.total_items.width = std::max(size.cx, 1L);
  const app::MainLayout l = app::LayoutControls(client.right, client.bottom, current);
  const int gx = l.group.left, gy = l.group.top, px = l.panel.left, py = l.panel.top;
  Place(Control(IDC_LABEL1), {l.tree.left, l.title.bottom() + Scaled(4), l.tree.width, Scaled(16)});
  Place(Control(IDC_TREE), l.tree);
  Place(Control(IDC_GROUP), l.group);
  Place(Control(IDC_PROGRESS), l.progress, gx, gy);
  Place(Control(IDC_LOG), l.log, gx, gy);
  Place(Control(IDC_TEST), l.test, gx, gy);
  Place(Control(IDC_CLEAN), l.clean, gx, gy);
  Place(Control(IDC_LABEL2), l.label2, gx, gy);
  Place(Control(IDC_CURRENTITEM), l.current_item, gx, gy);
  Place(Control(IDC_TOTALITEMS), l.total_items, gx, gy);
  Place(Control(IDC_NUMBER), l.number, gx, gy);
  Place(Control(IDC_ONLINEHELP),
        {Scaled(8), l.check_update.top, Scaled(120), l.check_update.height}, px, py);
  Place(Control(IDC_CHECKUPDATE), l.check_update, px, py);
  Place(Control(IDC_FASTMODE), l.fast_mode, px, py);
  RECT title{0, 0, client.right, l.title.bottom()};
  InvalidateRect(hwnd_, &title, FALSE);
}

void MainWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT title{0, 0, client.right, Scaled(50)};
  // A missing or damaged picture leaves the strip blank.
  if (!DrawPicture(dc, title_picture_, title))
    FillRect(dc, &title, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, title_picture_ != nullptr ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, title_font_);
  RECT name{Scaled(12), Scaled(2), client.right, Scaled(30)};
  DrawTextW(dc, Wide(app::kProductName).c_str(), -1, &name, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, hint_font_);
  RECT hint{Scaled(14), Scaled(29), client.right, Scaled(48)};
  DrawTextW(dc, kHintText, -1, &hint, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

void MainWindow::OpenShell(const std::wstring& target) const {
  // The result is ignored: a missing help file or browser is not an error of ours.
  ShellExecuteW(hwnd_, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
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
    case ID_EDIT_SAVETEXT:
      if (controller_.SaveTextEnabled()) controller_.OnSaveText();
      break;
    case ID_HELP_HELP:
      OpenShell(Wide(port_.system.ExecutableFolder() + "Morvel.chm"));
      break;
    case ID_HELP_HOMEPAGE:
      OpenShell(Wide(app::kHomePage));
      break;
    case ID_HELP_DONATE:
      OpenShell(kDonatePage);
      break;
    case ID_HELP_ABOUT:
      ShowAboutDialog(instance_, hwnd_);
      break;
    case ID_TRAY_OPEN:
      controller_.RestoreFromTray();
      break;
    default:
      break;
  }
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {Scaled(app::kMinWidth), Scaled(app::kMinHeight)};
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* r = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == IDC_TREE) OnTreeNotify(header);
      if ((header.code == NM_CLICK || header.code == NM_RETURN) &&
          (header.idFrom == IDC_ONLINEHELP || header.idFrom == IDC_CHECKUPDATE))
        OpenShell(header.idFrom == IDC_ONLINEHELP ? Wide(app::kHomePage) : kUpdatePage);
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
      // Windows ends the process after this returns: let the shut-down clean finish.
      if (wparam != FALSE) {
        MSG msg;
        while (IsWindow(hwnd_) && controller_.busy() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
      }
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
        const auto app_message = static_cast<app::AppMessage>(message);
        std::string text;
        if (app_message == app::AppMessage::RunFailed && current_host_ != nullptr &&
            current_host_->serial() == static_cast<std::uint32_t>(lparam))
          text = current_host_->failure();
        FlushLog(true);
        controller_.Dispatch(app_message, static_cast<std::int32_t>(wparam),
                             static_cast<std::uint32_t>(lparam), text);
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace morvel::gui
