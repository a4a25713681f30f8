#include "tests/gui_win32/window_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <thread>

#include <gtest/gtest.h>

namespace morvel::testing::gui {

std::wstring Wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

fs::path BuildFolder() { return fs::path(L"Z:" MORVEL_BINARY_DIR); }

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    // Another process changes what `done` reads: look again a little later.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowText: for a window of another process that only gives the
  // caption it was created with, not what an edit control holds.
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<std::wstring> LogOf(HWND main) { return ListBoxItems(GetDlgItem(main, IDC_LOG)); }

std::vector<std::wstring> ListBoxItems(HWND log) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // The list may be cleared meanwhile (a new pass starts): LB_ERR ends the reading.
    const LRESULT length = SendMessageW(log, LB_GETTEXTLEN, i, 0);
    if (length == LB_ERR) break;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    if (got == LB_ERR || got > length) break;
    line.resize(static_cast<std::size_t>(got));
    lines.push_back(line);
  }
  return lines;
}

HWND DialogOf(HWND owner, const std::wstring& caption) {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", caption.c_str()); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", caption.c_str()))
      if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) {
        found = w;
        return true;
      }
    return false;
  });
  return found;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasLineStarting(const std::vector<std::wstring>& lines, const std::wstring& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::wstring& l) { return l.rfind(start, 0) == 0; });
}

Program::Program(const std::wstring& argument) {
  std::wstring command = L"\"" + (kFolder / "morvel.exe").wstring() + L"\" " + argument;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  ok_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       kFolder.c_str(), &si, &info_) != FALSE;
}

Program::~Program() {
  if (!ok_) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    if (HWND main = FindWindowW(kMainClass.c_str(), nullptr)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 15000) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 1);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Program::Ended(DWORD ms) const {
  return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

HWND Program::Window() const {
  HWND main = nullptr;
  WaitFor([&] {
    return (main = FindWindowW(kMainClass.c_str(), nullptr)) != nullptr && IsWindowVisible(main);
  });
  return main;
}

void Click(HWND main, int id) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

bool Finished(HWND main) {
  return TextOf(GetDlgItem(main, IDC_PROGRESS)) == L"Finished!" &&
         TextOf(GetDlgItem(main, IDC_TEST)) == L"&Test";
}

bool Painted(HWND main) {
  if (SendMessageW(GetDlgItem(main, IDC_TREE), TVM_GETCOUNT, 0, 0) == 0) return false;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);  // its queue is empty
  RECT strip;
  GetClientRect(main, &strip);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  const Screen screen;
  std::set<COLORREF> colours;
  for (int x = 4; x < strip.right - 4; x += 16)
    for (int y = 4; y < 48; y += 8) colours.insert(screen.At(origin.x + x, origin.y + y));
  return colours.size() > 8;
}

void Settle(HWND main) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
  // Sent across processes, the paint messages are handled before this returns.
  RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

Screen::Screen() {
  HDC screen = GetDC(nullptr);
  width_ = GetSystemMetrics(SM_CXSCREEN);
  height_ = GetSystemMetrics(SM_CYSCREEN);
  stride_ = (width_ * 3 + 3) & ~3;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint8_t*>(bits);
  bgr_.assign(first, first + static_cast<std::size_t>(stride_) * height_);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

COLORREF Screen::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint8_t* p = &bgr_[static_cast<std::size_t>(y) * stride_ + x * 3];
  return RGB(p[2], p[1], p[0]);
}

int Screen::Colours(const RECT& r, int enough) const {
  std::set<COLORREF> seen;
  for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, height_); ++y)
    for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, width_); ++x) {
      seen.insert(At(x, y));
      if (static_cast<int>(seen.size()) >= enough) return enough;
    }
  return static_cast<int>(seen.size());
}

void Screen::Save(const fs::path& file) const {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width_;
  info.biHeight = -height_;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const auto size = static_cast<DWORD>(bgr_.size());
  BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof header + sizeof info + size), 0, 0,
                          sizeof header + sizeof info};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(bgr_.data()), size);
}

std::vector<Child> VisibleChildren(HWND main) {
  std::vector<Child> children;
  for (HWND child = GetWindow(main, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    RECT r;
    GetWindowRect(child, &r);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const bool frame = (_wcsicmp(cls, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) ||
                       _wcsicmp(cls, WC_TABCONTROLW) == 0;
    children.push_back({GetDlgCtrlID(child), cls, r, frame});
  }
  return children;
}

namespace {

bool Intersect(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

std::vector<int> Blank(HWND window) {
  const Screen screen;
  std::vector<int> blank;
  for (const Child& c : VisibleChildren(window)) {
    const bool text_control = c.cls == L"Button" || c.cls == L"SysLink" ||
                              (c.cls == L"Static" && !TextOf(GetDlgItem(window, c.id)).empty());
    if (!c.container && text_control && screen.Colours(c.rect) < 2) blank.push_back(c.id);
  }
  return blank;
}

std::vector<std::wstring> Overlaps(HWND window) {
  const std::vector<Child> children = VisibleChildren(window);
  std::vector<std::wstring> overlaps;
  for (std::size_t i = 0; i < children.size(); ++i)
    for (std::size_t j = i + 1; j < children.size(); ++j)
      if (!children[i].container && !children[j].container &&
          Intersect(children[i].rect, children[j].rect))
        overlaps.push_back(std::to_wstring(children[i].id) + L" and " +
                           std::to_wstring(children[j].id));
  return overlaps;
}

void ExpectDrawnAndApart(HWND window, const char* when) {
  EXPECT_TRUE(WaitFor([&] { return Blank(window).empty(); }, 5s))
      << when << ": " << ::testing::PrintToString(Blank(window)) << " not drawn";
  const auto overlaps = Overlaps(window);
  EXPECT_TRUE(overlaps.empty()) << when << ": " << ::testing::PrintToString(overlaps);
}

std::vector<int> OutsideClient(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::vector<int> outside;
  for (const Child& c : VisibleChildren(window)) {
    RECT both;
    IntersectRect(&both, &c.rect, &client);
    if (!EqualRect(&both, &c.rect)) outside.push_back(c.id);
  }
  return outside;
}

void ExpectWholeAndShoot(HWND dialog, const std::string& name) {
  Settle(dialog);
  EXPECT_TRUE(WaitFor([&] { return Blank(dialog).empty(); }, 5s))
      << name << ": " << ::testing::PrintToString(Blank(dialog)) << " not drawn";
  EXPECT_EQ(Overlaps(dialog), std::vector<std::wstring>{}) << name;
  EXPECT_EQ(OutsideClient(dialog), std::vector<int>{}) << name;
  Screen().Save(BuildFolder().parent_path() / ("morvel-" + name + ".bmp"));
}

bool Shows(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

void PressWith(std::initializer_list<WORD> held, WORD key) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  for (WORD h : held) add(h, false);
  add(key, false);
  add(key, true);
  for (auto h = std::rbegin(held); h != std::rend(held); ++h) add(*h, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}
}  // namespace

HWND BrowserWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"IEFrame";
  RegisterClassW(&wc);  // fails harmlessly when registered before
  return CreateWindowW(L"IEFrame", L"browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                       nullptr, nullptr, wc.hInstance, nullptr);
}

bool Closed(HWND window, std::chrono::milliseconds limit) {
  return WaitFor([&] { return !IsWindow(window); }, limit);
}

HWND WaitForDialog(std::string_view caption) {
  HWND dialog = nullptr;
  WaitFor([&] {
    return (dialog = FindWindowW(L"#32770", Wide(caption).c_str())) != nullptr &&
           IsWindowVisible(dialog);
  });
  return dialog;
}

void Check(HWND dialog, int id, bool on, std::initializer_list<int> group) {
  for (int other : group) SendMessageW(GetDlgItem(dialog, other), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  Click(dialog, id);
}

std::wstring CaptionOf(HWND dialog, int id) {
  std::wstring text = TextOf(GetDlgItem(dialog, id));
  std::wstring caption;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" is one "&"
    caption += text[i];
  }
  return caption;
}

RemoteBuffer::RemoteBuffer(HWND window, std::size_t size) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
  if (process_ != nullptr)
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
  if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

void RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
  WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

void RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) const {
  ReadProcessMemory(process_, static_cast<const char*>(address_) + offset, data, size, nullptr);
}

namespace {

constexpr std::size_t kTextRoom = 2048;  // characters of an item's text

// An item structure sent to another process with room for its text after it; `fill` sets
// the structure's fields given the text's remote address, `message` is sent with it.
template <class Item>
std::wstring RemoteItemText(HWND window, UINT message, WPARAM index,
                            const std::function<void(Item&, wchar_t*)>& fill) {
  RemoteBuffer remote(window, sizeof(Item) + kTextRoom * sizeof(wchar_t));
  if (remote.address() == nullptr) return {};
  Item item{};
  auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.address()) + sizeof(Item));
  fill(item, text);
  remote.Write(&item, sizeof item);
  const wchar_t nothing = 0;
  remote.Write(&nothing, sizeof nothing, sizeof(Item));
  SendMessageW(window, message, index, reinterpret_cast<LPARAM>(remote.address()));
  std::wstring out(kTextRoom, L'\0');
  remote.Read(out.data(), kTextRoom * sizeof(wchar_t), sizeof(Item));
  out.resize(wcsnlen(out.c_str(), kTextRoom));
  return out;
}

}  // namespace

std::wstring ListViewText(HWND list_view, int row, int column) {
  return RemoteItemText<LVITEMW>(list_view, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                 [column](LVITEMW& item, wchar_t* text) {
                                   item.iSubItem = column;
                                   item.pszText = text;
                                   item.cchTextMax = kTextRoom;
                                 });
}

std::vector<std::wstring> ListViewRows(HWND list) {
  std::vector<std::wstring> rows;
  const auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) rows.push_back(ListViewText(list, static_cast<int>(i), 0));
  return rows;
}

std::vector<std::wstring> TabCaptions(HWND tabs) {
  std::vector<std::wstring> captions;
  const auto count = SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i)
    captions.push_back(
        RemoteItemText<TCITEMW>(tabs, TCM_GETITEMW, i, [](TCITEMW& item, wchar_t* text) {
          item.mask = TCIF_TEXT;
          item.pszText = text;
          item.cchTextMax = kTextRoom;
        }));
  return captions;
}

void SelectListViewRow(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(&item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.address()));
}

namespace {

HTREEITEM FindTreeItem(HWND tree, const std::wstring& text) {
  std::vector<HTREEITEM> pending{
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (item == nullptr) continue;
    pending.push_back(reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))));
    pending.push_back(reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))));
    const std::wstring label =
        RemoteItemText<TVITEMW>(tree, TVM_GETITEMW, 0, [item](TVITEMW& tv, wchar_t* room) {
          tv.mask = TVIF_TEXT | TVIF_HANDLE;
          tv.hItem = item;
          tv.pszText = room;
          tv.cchTextMax = kTextRoom;
        });
    if (label == text) return item;
  }
  return nullptr;
}

BOOL CALLBACK CollectTooltip(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == TOOLTIPS_CLASSW)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

}  // namespace

int TreeItemStateImage(HWND tree, const std::wstring& text) {
  HTREEITEM item = FindTreeItem(tree, text);
  if (item == nullptr) return 0;
  const auto state =
      SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
  return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

std::vector<Hint> HintsOf(HWND owner) {
  std::vector<HWND> tips;
  EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectTooltip,
                    reinterpret_cast<LPARAM>(&tips));
  std::vector<Hint> hints;
  for (HWND tip : tips) {
    if (GetWindow(tip, GW_OWNER) != owner) continue;
    const auto count = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      RemoteBuffer remote(tip, sizeof(TOOLINFOW) + kTextRoom * sizeof(wchar_t));
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      remote.Write(&tool, sizeof tool);
      if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote.address())))
        continue;
      remote.Read(&tool, sizeof tool);
      tool.lpszText =
          reinterpret_cast<wchar_t*>(static_cast<char*>(remote.address()) + sizeof tool);
      remote.Write(&tool, sizeof tool);
      const wchar_t none = 0;
      remote.Write(&none, sizeof none, sizeof tool);
      SendMessageW(tip, TTM_GETTEXTW, kTextRoom, reinterpret_cast<LPARAM>(remote.address()));
      std::wstring text(kTextRoom, L'\0');
      remote.Read(text.data(), kTextRoom * sizeof(wchar_t), sizeof tool);
      text.resize(text.find(L'\0'));
      hints.push_back({tool.rect, text});
    }
  }
  return hints;
}

std::optional<RECT> TreeItemLabel(HWND tree, const std::wstring& text) {
  HTREEITEM item = FindTreeItem(tree, text);
  if (item == nullptr) return std::nullopt;
  // Scrolled into view first: the rectangle of an item below the visible part is no place
  // to click.
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  RemoteBuffer remote(tree, sizeof(RECT));
  remote.Write(&item, sizeof item);
  RECT r{};
  if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.address())))
    return std::nullopt;
  remote.Read(&r, sizeof r);
  MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ClickAt(POINT point) {
  SetCursorPos(point.x, point.y);
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void Press(WORD key, bool alt) {
  if (alt)
    PressWith({VK_MENU}, key);
  else
    PressWith({}, key);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool MenuOpen(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return false;
  return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

bool Foreground(HWND window) {
  return WaitFor([&] {
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    return false;
  });
}

namespace {

// Xvfb has no window manager: Wine then draws the frames itself and maximizes without
// asking one (as on a virtual desktop), for the programs the tests start.
class UnmanagedWindows final : public ::testing::Environment {
 public:
  void SetUp() override {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"Managed", RRF_RT_REG_SZ, nullptr, old_, &size) ==
           ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
  }
  void TearDown() override {
    if (had_)
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Managed", REG_SZ, old_,
                      static_cast<DWORD>((wcslen(old_) + 1) * sizeof(wchar_t)));
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Managed");
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\X11 Driver";
  wchar_t old_[16] = {};
  bool had_ = false;
};

const ::testing::Environment* const kUnmanaged =
    ::testing::AddGlobalTestEnvironment(new UnmanagedWindows);

}  // namespace

}  // namespace morvel::testing::gui
