// The main window's controls: creation in tab order, fonts, the catalogue tree, the
// layout and the title strip.
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/main_window.h"
#include "gui/pictures.h"
#include "gui/progress_caption.h"
#include "gui/resource.h"
#include "gui/window_messages.h"
#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::win32::Wide;

namespace {

LPARAM NodeParam(std::size_t root, std::optional<std::size_t> leaf) {
  return static_cast<LPARAM>((root << 16) | (leaf ? *leaf + 1 : 0));
}
NodeRef NodeOf(LPARAM param) {
  const auto p = static_cast<std::size_t>(param);
  const std::size_t leaf = p & 0xFFFF;
  return NodeRef{p >> 16, leaf == 0 ? std::nullopt : std::optional<std::size_t>(leaf - 1)};
}

NodeRef NodeOfItem(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  TreeView_GetItem(tree, &tv);
  return NodeOf(tv.lParam);
}

RECT RectOf(const app::Rect& r, const app::Rect& parent = {}) {
  const int left = r.left + parent.left, top = r.top + parent.top;
  return {left, top, left + r.width, top + r.height};
}

// A link's caption without its <a> tags, as the control shows it.
std::wstring LinkText(const std::wstring& markup) {
  std::wstring text;
  bool in_tag = false;
  for (wchar_t c : markup) {
    if (c == L'<') in_tag = true;
    if (!in_tag) text += c;
    if (c == L'>') in_tag = false;
  }
  return text;
}

}  // namespace

void MainWindow::CreateFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW lf = metrics.lfMessageFont;
  lf.lfHeight = -app::ScaleToDpi(11, dpi_);  // 8 points
  font_.reset(CreateFontIndirectW(&lf));
  lf.lfHeight = -app::ScaleToDpi(12, dpi_);
  hint_font_.reset(CreateFontIndirectW(&lf));
  lf.lfHeight = -app::ScaleToDpi(22, dpi_);
  lf.lfWeight = FW_BOLD;
  title_font_.reset(CreateFontIndirectW(&lf));
}

void MainWindow::OnCreate() {
  dpi_ = platform::win32::DpiOfWindow(hwnd_);
  design_ = app::DesignLayout(dpi_);
  CreateFonts();
  title_picture_ = LoadPictureResource(instance_, IDP_TITLE);
  CreateControls();
  Layout();
  // Filled once the tree has its size, so that it places its buttons and boxes for it.
  FillTree();
  saved_ex_style_ = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  controller_.OnCreate(first_argument_);
}

void MainWindow::CreateControls() {
  // Creation order is the tab order and the z-order: layout order, top to bottom, left
  // to right. Every control clips its siblings, and the group box goes to the bottom of
  // the z-order, so that it never paints over the controls it frames.
  const auto make = [&](DWORD ex, const wchar_t* cls, const std::wstring& text, DWORD style,
                        int id) {
    HWND h = CreateWindowExW(ex, cls, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 10,
                             10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             instance_, nullptr);
    if (h == nullptr)
      throw std::runtime_error("control " + std::to_string(id) + " not created, error " +
                               std::to_string(GetLastError()));
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return h;
  };
  constexpr DWORD kVisible = WS_VISIBLE;
  constexpr DWORD kLabel = SS_NOPREFIX;  // item keys and counters may hold '&'
  make(0, L"STATIC", L"Cleaner &Settings", kVisible, IDC_LABEL1);
  HWND tree = make(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                   kVisible | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                       TVS_SHOWSELALWAYS | TVS_INFOTIP,
                   IDC_TREE);
  // Check boxes are turned on after creation, as the control wants.
  SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_CHECKBOXES);
  // A group box draws only its frame and caption; transparent, it is not clipped out of
  // the window's own painting, which fills its inside.
  HWND group = make(WS_EX_TRANSPARENT, L"BUTTON", L"Progress", kVisible | BS_GROUPBOX, IDC_GROUP);
  SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  make(0, PROGRESS_CLASSW, L"", PBS_SMOOTH, IDC_PROGRESS);
  SendMessageW(Control(IDC_PROGRESS), PBM_SETRANGE32, 0, 1000);
  AttachProgressCaption(Control(IDC_PROGRESS));
  make(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
       kVisible | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
           LBS_NOTIFY,
       IDC_LOG);
  make(0, L"STATIC", L"Clearing:", kLabel, IDC_LABEL2);
  make(0, L"STATIC", L"", kLabel | SS_ENDELLIPSIS, IDC_CURRENTITEM);
  make(0, L"STATIC", L"", kLabel | SS_ENDELLIPSIS, IDC_TOTALITEMS);
  make(0, L"STATIC", L"0", kLabel, IDC_NUMBER);
  make(0, L"BUTTON", L"&Test", kVisible | WS_TABSTOP | BS_PUSHBUTTON, IDC_TEST);
  make(0, L"BUTTON", L"&Clean", kVisible | WS_TABSTOP | BS_PUSHBUTTON, IDC_CLEAN);
  make(0, WC_LINK, L"<a>Online Help</a>", kVisible | WS_TABSTOP, IDC_ONLINEHELP);
  HWND fast =
      make(0, L"BUTTON", L"Fast &Mode", kVisible | WS_TABSTOP | BS_AUTOCHECKBOX, IDC_FASTMODE);
  make(0, WC_LINK, L"<a>Check for updates now...</a>", kVisible | WS_TABSTOP, IDC_CHECKUPDATE);
  // Without its tooltip the box still works: no failure of the window.
  if (state_.policy.Holds(app::PolicySetting::FastScan)) {
    EnableWindow(fast, FALSE);
    policy_hint_ = AddHintOver(hwnd_, fast, app::kSetByPolicyTip);
  } else {
    AddHint(hwnd_, fast, "Fast mode, not show detailed log of all cleaner settings");
  }
}

bool MainWindow::HeldByPolicy(NodeRef node) const {
  const auto& roots = state_.catalogue.roots();
  if (!node.leaf || node.root >= roots.size() || *node.leaf >= roots[node.root].children.size())
    return false;
  return state_.policy.HoldsItem(
      ItemKey(roots[node.root].text, roots[node.root].children[*node.leaf].text));
}

void MainWindow::FillTree() {
  HWND tree = Control(IDC_TREE);
  SetWindowRedraw(tree, FALSE);
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
  TreeView_SelectItem(tree, TreeView_GetRoot(tree));
  TreeView_EnsureVisible(tree, TreeView_GetRoot(tree));
  SetWindowRedraw(tree, TRUE);
  InvalidateRect(tree, nullptr, TRUE);
}

void MainWindow::SyncTreeStates() {
  HWND tree = Control(IDC_TREE);
  for (HTREEITEM root = TreeView_GetRoot(tree); root != nullptr;
       root = TreeView_GetNextSibling(tree, root)) {
    for (HTREEITEM item = root; item != nullptr; item = item == root
                                                            ? TreeView_GetChild(tree, root)
                                                            : TreeView_GetNextSibling(tree, item)) {
      const UINT wanted = INDEXTOSTATEIMAGEMASK(
          state_.catalogue.StateOf(NodeOfItem(tree, item)) == kTicked ? 2 : 1);
      if ((TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) == wanted)
        continue;
      TreeView_SetItemState(tree, item, wanted, TVIS_STATEIMAGEMASK);
    }
  }
  // A click on a box may move the selection without drawing the item it left (Wine's
  // tree does): the whole tree is drawn again, so no old highlight stays.
  InvalidateRect(tree, nullptr, TRUE);
}

LRESULT MainWindow::OnTreeNotify(const NMHDR& header) {
  HWND tree = Control(IDC_TREE);
  if (header.code == NM_CUSTOMDRAW) {
    auto& draw = const_cast<NMTVCUSTOMDRAW&>(reinterpret_cast<const NMTVCUSTOMDRAW&>(header));
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
      return state_.policy.ticked.empty() && state_.policy.blocked.empty() ? CDRF_DODEFAULT
                                                                           : CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && HeldByPolicy(NodeOf(draw.nmcd.lItemlParam)))
      draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    return CDRF_DODEFAULT;
  }
  if (header.code == NM_CLICK) {
    TVHITTESTINFO hit{};
    const DWORD pos = GetMessagePos();
    hit.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (item == nullptr) return 0;
    const HitArea area = (hit.flags & TVHT_ONITEMSTATEICON) != 0 ? HitArea::StateImage
                         : (hit.flags & TVHT_ONITEMLABEL) != 0   ? HitArea::Label
                                                                 : HitArea::Elsewhere;
    controller_.OnTreeMouseDown(NodeOfItem(tree, item), area);
    // The control toggles its own box after this: the model's states win afterwards.
    PostMessageW(hwnd_, kMsgSyncTree, 0, 0);
  } else if (header.code == TVN_ITEMEXPANDEDW) {
    const auto& nm = reinterpret_cast<const NMTREEVIEWW&>(header);
    const NodeRef node = NodeOf(nm.itemNew.lParam);
    if (!node.leaf) controller_.OnTreeExpanded(node.root, (nm.itemNew.state & TVIS_EXPANDED) != 0);
  } else if (header.code == TVN_GETINFOTIPW) {
    // An item whose box a policy sets says so when the pointer rests on it.
    auto& tip = const_cast<NMTVGETINFOTIPW&>(reinterpret_cast<const NMTVGETINFOTIPW&>(header));
    if (HeldByPolicy(NodeOf(tip.lParam)) && tip.cchTextMax > 0)
      lstrcpynW(tip.pszText, Wide(app::kSetByPolicyTip).c_str(), tip.cchTextMax);
  } else if (header.code == TVN_KEYDOWN &&
             reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
    if (HTREEITEM item = TreeView_GetSelection(tree)) {
      controller_.OnTreeMouseDown(NodeOfItem(tree, item), HitArea::StateImage);
      PostMessageW(hwnd_, kMsgSyncTree, 0, 0);
    }
  }
  return 0;
}

int MainWindow::TextWidth(HWND control, std::wstring_view text) const {
  const WindowDc dc(control);
  const Selection font(dc.get(), font_.get());
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  app::MainLayout current = design_;
  // The widths the layout needs measured: the counter's title as it reads now, room for a
  // seven-digit counter, and the links' captions (a link draws a little beyond its text).
  const int slack = app::ScaleToDpi(4, dpi_);
  current.total_items.width =
      TextWidth(Control(IDC_TOTALITEMS), Wide(TextOf(Control(IDC_TOTALITEMS)))) + slack;
  current.number.width = TextWidth(Control(IDC_NUMBER), L"0000000") + slack;
  current.online_help.width =
      TextWidth(Control(IDC_ONLINEHELP), LinkText(Wide(TextOf(Control(IDC_ONLINEHELP))))) + slack;
  current.check_update.width =
      TextWidth(Control(IDC_CHECKUPDATE), LinkText(Wide(TextOf(Control(IDC_CHECKUPDATE))))) + slack;
  const app::MainLayout l = app::LayoutControls(client.right, client.bottom, current, dpi_);
  const struct {
    int id;
    RECT rect;
  } places[] = {
      {IDC_LABEL1, RectOf(l.label1)},
      {IDC_TREE, RectOf(l.tree)},
      {IDC_GROUP, RectOf(l.group)},
      {IDC_PROGRESS, RectOf(l.progress, l.group)},
      {IDC_LOG, RectOf(l.log, l.group)},
      {IDC_LABEL2, RectOf(l.label2, l.group)},
      {IDC_CURRENTITEM, RectOf(l.current_item, l.group)},
      {IDC_TOTALITEMS, RectOf(l.total_items, l.group)},
      {IDC_NUMBER, RectOf(l.number, l.group)},
      {IDC_TEST, RectOf(l.test, l.group)},
      {IDC_CLEAN, RectOf(l.clean, l.group)},
      {IDC_ONLINEHELP, RectOf(l.online_help, l.panel)},
      {IDC_FASTMODE, RectOf(l.fast_mode, l.panel)},
      {IDC_CHECKUPDATE, RectOf(l.check_update, l.panel)},
  };
  HDWP batch = BeginDeferWindowPos(static_cast<int>(std::size(places)));
  for (const auto& p : places) {
    const RECT& r = p.rect;
    if (batch != nullptr)
      batch = DeferWindowPos(batch, Control(p.id), nullptr, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  }
  if (batch == nullptr || !EndDeferWindowPos(batch)) {
    // Out of resources for the batch: one at a time.
    for (const auto& p : places)
      MoveWindow(Control(p.id), p.rect.left, p.rect.top, p.rect.right - p.rect.left,
                 p.rect.bottom - p.rect.top, TRUE);
  }
  PlaceHintOver(policy_hint_, hwnd_, Control(IDC_FASTMODE));
  // Everything is drawn again where it now is, before the next paint shows anything.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT title{0, 0, client.right, app::ScaleToDpi(50, dpi_)};
  // A missing or damaged picture leaves the strip blank.
  if (!DrawPicture(dc, title_picture_.get(), title))
    FillRect(dc, &title, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, title_picture_ ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNTEXT));
  {
    const Selection font(dc, title_font_.get());
    RECT name{app::ScaleToDpi(12, dpi_), app::ScaleToDpi(2, dpi_), client.right,
              app::ScaleToDpi(30, dpi_)};
    DrawTextW(dc, Wide(app::kProductName).c_str(), -1, &name,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  {
    const Selection font(dc, hint_font_.get());
    RECT hint{app::ScaleToDpi(14, dpi_), app::ScaleToDpi(29, dpi_), client.right,
              app::ScaleToDpi(48, dpi_)};
    DrawTextW(dc, Wide(app::kTitleHint).c_str(), -1, &hint,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  EndPaint(hwnd_, &ps);
}

}  // namespace morvel::gui
