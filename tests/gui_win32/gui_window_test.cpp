// The real window under Wine: found by its class, driven by window messages as a user's
// clicks and menus would, read back through its controls. Every trace it cleans lies in a
// scratch folder of the private prefix.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kClass[] = L"Morvel Made by Quillon Software";
constexpr int kTree = 2001, kTest = 2003, kClean = 2004, kProgress = 2006, kLog = 2002;
const fs::path kFolder = L"C:\\morvel-gui-test";
const fs::path kTraces = kFolder / "traces";
// A key of the prefix's real registry: its "Last Search" value is on the list, "Theme" is not.
constexpr wchar_t kTraceKey[] = L"Software\\Morvel GUI Test";

fs::path BuildFolder() { return fs::path(L"Z:" MORVEL_BINARY_DIR); }

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Runs `done` until it holds or `limit` passes, handling this thread's messages meanwhile
// (the boss key shows and hides a window of this thread).
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::vector<std::wstring> LogOf(HWND main) {
  HWND log = GetDlgItem(main, kLog);
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

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasLineStarting(const std::vector<std::wstring>& lines, const std::wstring& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::wstring& l) { return l.rfind(start, 0) == 0; });
}

class Program {
 public:
  explicit Program(const std::wstring& argument = L"") {
    std::wstring command = L"\"" + (kFolder / "morvel.exe").wstring() + L"\" " + argument;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    ok_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         kFolder.c_str(), &si, &info_) != FALSE;
  }
  ~Program() {
    if (!ok_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      if (HWND main = FindWindowW(kClass, nullptr)) PostMessageW(main, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(info_.hProcess, 15000) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 1);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool Ended(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  HWND Window() const {
    HWND main = nullptr;
    WaitFor(
        [&] { return (main = FindWindowW(kClass, nullptr)) != nullptr && IsWindowVisible(main); });
    return main;
  }

 private:
  bool ok_ = false;
  PROCESS_INFORMATION info_{};
};

void Click(HWND main, int id) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

bool Finished(HWND main) {
  return TextOf(GetDlgItem(main, kProgress)) == L"Finished!" &&
         TextOf(GetDlgItem(main, kTest)) == L"Test";
}

// Whether the window has drawn itself: the catalogue is in the tree, and the title strip
// holds the decoded picture (many colours, where a blank area has one).
bool Painted(HWND main) {
  if (SendMessageW(GetDlgItem(main, kTree), TVM_GETCOUNT, 0, 0) == 0) return false;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);  // its queue is empty
  RECT strip;
  GetClientRect(main, &strip);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> colours;
  for (int x = 4; x < strip.right - 4; x += 16)
    for (int y = 4; y < 48; y += 8) colours.push_back(GetPixel(screen, origin.x + x, origin.y + y));
  ReleaseDC(nullptr, screen);
  std::sort(colours.begin(), colours.end());
  return std::unique(colours.begin(), colours.end()) - colours.begin() > 8;
}

// The screen as a bitmap file under build/.
void Screenshot(const fs::path& file) {
  HDC screen = GetDC(nullptr);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  const DWORD size = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                      sizeof fh + sizeof bi.bmiHeader};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  out.write(static_cast<const char*>(bits), size);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

class GuiWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
    fs::copy_file(BuildFolder() / "morvel.exe", kFolder / "morvel.exe");
    fs::copy_file(BuildFolder() / "Morvel.dat", kFolder / "Morvel.dat");
    WriteFile(kFolder / "Clist.dat",
              "[<New List>]\r\nDelFile1=C:\\morvel-gui-test\\traces,*.tmp\r\n"
              "DelRegValue1=HKEY_CURRENT_USER\\Software\\Morvel GUI Test,Last Search\r\n");
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "keep.txt"})
      WriteFile(kTraces / name, "trace");
    for (const wchar_t* value : {L"Last Search", L"Theme"})
      RegSetKeyValueW(HKEY_CURRENT_USER, kTraceKey, value, REG_SZ, L"x", 2 * sizeof(wchar_t));
    Settings("");
  }
  void TearDown() override {
    fs::remove_all(kFolder);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTraceKey);
  }
  static bool HasValue(const wchar_t* value) {
    return RegGetValueW(HKEY_CURRENT_USER, kTraceKey, value, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
  }

  static void Settings(const std::string& extra) {
    WriteFile(kFolder / "settings.ini",
              "[Settings]\r\nAskForSweep=1\r\nFastScan=0\r\n[NodeSelected]\r\n1=Custom Lists\r\n"
              "2=Custom Lists - <New List>\r\nSelectedCount=2\r\n" +
                  extra);
  }
  static int TraceCount() {
    int n = 0;
    for (const auto& e : fs::directory_iterator(kTraces)) n += e.path().extension() == ".tmp";
    return n;
  }
};

TEST_F(GuiWindow, ShowsTestsCleansAndKeepsOneInstance) {
  Program program;
  HWND main = program.Window();
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 704);
  EXPECT_EQ(r.bottom - r.top, 507);
  EXPECT_EQ(TextOf(main), L"Morvel 3.0");
  EXPECT_TRUE(WaitFor([&] { return Painted(main); }));
  Screenshot(BuildFolder().parent_path() / "morvel-window.bmp");

  Click(main, kTest);
  ASSERT_TRUE(WaitFor([&] { return Finished(main); }));
  auto log = LogOf(main);
  EXPECT_EQ(log.front(), L"Test: Clearing Custom Lists - <New List> ...");
  EXPECT_TRUE(Contains(log, L"Test: deleting C:\\morvel-gui-test\\traces\\a.tmp"));
  EXPECT_TRUE(Contains(
      log,
      L"Test: deleting registry value HKEY_CURRENT_USER\\Software\\Morvel GUI Test\\Last Search"));
  EXPECT_TRUE(HasLineStarting(log, L"Total items will be removed = 4 ; "));
  EXPECT_EQ(TraceCount(), 3);
  EXPECT_TRUE(HasValue(L"Last Search"));

  // A second start brings this one forward and ends at once.
  {
    Program second;
    EXPECT_TRUE(second.Ended(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
  }
  EXPECT_TRUE(IsWindow(main));

  Click(main, kClean);
  HWND ask = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (ask = FindWindowW(L"#32770", L"Run Morvel")) != nullptr; }));
  PostMessageW(ask, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_TRUE(WaitFor([&] {
    return Finished(main) && HasLineStarting(LogOf(main), L"Total items to be removed = 4 ; ");
  }));
  log = LogOf(main);
  EXPECT_EQ(log.front(), L"Clean: Clearing Custom Lists - <New List> ...");
  EXPECT_EQ(TraceCount(), 0);
  EXPECT_TRUE(fs::exists(kTraces / "keep.txt"));
  EXPECT_FALSE(HasValue(L"Last Search"));
  EXPECT_TRUE(HasValue(L"Theme"));

  // Minimize to the tray hides the window; a left click on the icon brings it back.
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
  PostMessageW(main, 0x3416, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }));

  // Closing during a run ends the program without waiting on the run.
  Click(main, kTest);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.Ended(10000));
}

TEST_F(GuiWindow, CleanOnceCleansWithoutQuestionAndExits) {
  Program program(L"-cleanonce");
  EXPECT_TRUE(program.Ended(30000));
  EXPECT_EQ(TraceCount(), 0);
  EXPECT_TRUE(fs::exists(kTraces / "keep.txt"));
  EXPECT_FALSE(HasValue(L"Last Search"));
  EXPECT_TRUE(HasValue(L"Theme"));
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

TEST_F(GuiWindow, BossKeyHidesAndShowsBrowserWindows) {
  Settings("[Hotkey]\r\nEnableHotkey=1\r\n");
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"IEFrame";
  RegisterClassW(&wc);
  HWND browser = CreateWindowW(L"IEFrame", L"browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                               100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(browser, nullptr);
  Program program;
  HWND main = program.Window();
  ASSERT_NE(main, nullptr);
  const ATOM atom = GlobalFindAtomW(L"MyKVLZHotkey_Hide");
  ASSERT_NE(atom, 0);
  PostMessageW(main, WM_HOTKEY, atom, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(browser); }));
  PostMessageW(main, WM_HOTKEY, atom, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(browser) != FALSE; }));
  DestroyWindow(browser);
}

}  // namespace
