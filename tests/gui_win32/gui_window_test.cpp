// The real window under Wine: found by its class, driven by window messages as a user's
// clicks and menus would, read back through its controls. Every trace it cleans lies in a
// scratch folder of the private prefix.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include "tests/gui_win32/gui_fixture.h"

namespace morvel::testing::gui {
namespace {

TEST_F(GuiWindow, ShowsTestsCleansAndKeepsOneInstance) {
  Program program;
  HWND main = program.Window();
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 704);
  EXPECT_EQ(r.bottom - r.top, 507);
  EXPECT_EQ(TextOf(main), Wide(app::kProductName) + L" " + Wide(app::kVersionText));
  EXPECT_TRUE(WaitFor([&] { return Painted(main); }));
  Settle(main);
  Screen().Save(BuildFolder().parent_path() / "morvel-window.bmp");

  Click(main, IDC_TEST);
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

  Click(main, IDC_CLEAN);
  HWND ask = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] { return (ask = FindWindowW(L"#32770", Wide(app::kAskCaption).c_str())) != nullptr; }));
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
  PostMessageW(main, MessageOf(app::AppMessage::TrayCallback), 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }));

  // Closing during a run ends the program without waiting on the run.
  Click(main, IDC_TEST);
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

TEST_F(GuiWindow, BossKeyHidesAndShowsBrowserWindows) {
  Settings("[Hotkey]\r\nEnableHotkey=1\r\n");
  HWND browser = BrowserWindow();
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

TEST_F(GuiWindow, SavedLogStartsInDocumentsNamedAndDatedAfterItsRun) {
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  Click(main, IDC_TEST);
  ASSERT_TRUE(WaitFor([&] { return Finished(main); }));
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(ID_EDIT_SAVETEXT, 0), 0);
  HWND save = DialogOf(main, L"Save as Text");
  ASSERT_NE(save, nullptr);
  // What the dialog shows, asked of it (its answers are written in the program's memory).
  const auto ask = [&](UINT message) {
    RemoteBuffer buffer(save, MAX_PATH * sizeof(wchar_t));
    const LRESULT length =
        SendMessageW(save, message, MAX_PATH, reinterpret_cast<LPARAM>(buffer.address()));
    wchar_t text[MAX_PATH] = {};
    buffer.Read(text, sizeof text);
    return length > 0 ? std::wstring(text) : std::wstring();
  };
  wchar_t documents[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents), S_OK);
  EXPECT_TRUE(WaitFor([&] { return ask(CDM_GETFOLDERPATH) == documents; }, 5s))
      << ask(CDM_GETFOLDERPATH);
  const std::wstring name = ask(CDM_GETSPEC);
  // "Morvel log 2024-05-01 14-30-05.txt"
  EXPECT_TRUE(name.starts_with(L"Morvel log 20") && name.ends_with(L".txt") && name.size() == 34)
      << name;
  Settle(save);
  Screen().Save(BuildFolder().parent_path() / "morvel-save-log.bmp");
  ASSERT_TRUE(Foreground(save));
  Press(VK_RETURN);
  ASSERT_TRUE(Closed(save));
  const fs::path saved = fs::path(documents) / name;
  ASSERT_TRUE(WaitFor([&] { return fs::exists(saved); }, 5s)) << saved;
  const std::string text = ReadFile(saved);
  fs::remove(saved);
  EXPECT_TRUE(text.starts_with("This file was generated by Morvel\r\nVisit ")) << text;
  const std::string date = std::string(name.begin() + 11, name.begin() + 15);  // the year
  const std::size_t run = text.find("\r\nRun on ");
  ASSERT_NE(run, std::string::npos) << text;
  EXPECT_NE(text.find(date, run), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n\r\nTest: Clearing Custom Lists - <New List> ...\r\n"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace morvel::testing::gui
