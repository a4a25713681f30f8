// The settings dialog in the real morvel.exe under Wine: opened from its menu and its
// shortcut, every caption, the pages turned with Ctrl+Tab, the boss key typed into its
// edit, and what OK leaves in settings.ini, the log-on task, the Run key and the boss key
// (which then hides a browser window); a key Windows refuses and Cancel leave everything
// as it was.
#include <fstream>
#include <sstream>

#include "app/autorun.h"
#include "app/boss_key.h"
#include "platform/win32/win32_autorun.h"
#include "tests/gui_win32/gui_fixture.h"

namespace morvel::testing::gui {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Profile(const wchar_t* section, const wchar_t* key) {
  wchar_t value[256] = {};
  GetPrivateProfileStringW(section, key, L"(missing)", value, 256,
                           (kFolder / "settings.ini").c_str());
  return value;
}

std::optional<std::wstring> RunValue() {
  wchar_t value[512] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Morvel", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// Where Wine's scheduler keeps the log-on task, as Windows does.
const fs::path kTaskFile = L"C:\\windows\\system32\\tasks\\Morvel";

void RemoveLogonTask() { (void)platform::win32::MakeWin32LogonTasks()->Remove("Morvel"); }

// Turns the page with Ctrl+Tab (or Ctrl+Shift+Tab) and waits until `shown` shows.
void TurnPage(HWND dialog, bool back, int shown) {
  if (back)
    PressWith({VK_CONTROL, VK_SHIFT}, VK_TAB);
  else
    PressWith({VK_CONTROL}, VK_TAB);
  EXPECT_TRUE(WaitFor([&] { return Shows(dialog, shown); }, 5s)) << shown;
}

void TypeBossKey(HWND dialog, std::initializer_list<WORD> held, WORD key,
                 const std::wstring& shown) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_OPT_HIDE)),
               TRUE);
  PressWith(held, key);
  EXPECT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(dialog, IDC_OPT_HIDE)) == shown; }, 5s))
      << TextOf(GetDlgItem(dialog, IDC_OPT_HIDE));
}

class SettingsDialog : public GuiWindow {
 protected:
  void SetUp() override {
    GuiWindow::SetUp();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Morvel");
    RemoveLogonTask();
    program_ = std::make_unique<Program>();
    main_ = Shown(*program_);
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override {
    program_.reset();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Morvel");
    RemoveLogonTask();
    GuiWindow::TearDown();
  }
  std::unique_ptr<Program> program_;
  HWND main_ = nullptr;
};

TEST_F(SettingsDialog, FromTheMenuEveryPageCommitsOnOk) {
  Click(main_, ID_ACTION_SETTINGS);
  HWND dialog = WaitForDialog("Settings");
  ASSERT_NE(dialog, nullptr);
  const struct {
    int id;
    const wchar_t* caption;
  } captions[] = {
      {IDC_OPT_FASTSCAN, L"Fast mode, not show detailed log of all cleaner settings"},
      {IDC_OPT_LOGTIF, L"Show detailed log of Temporary Internet Files"},
      {IDC_OPT_LOGRECYCLE, L"Show detailed log of Empty Recycle Bin"},
      {IDC_OPT_ASKCLEAR, L"Ask before deleting the item"},
      {IDC_OPT_AUTOSTART, L"Auto run when the computer starts"},
      {IDC_OPT_WIPEFILE, L"Overwrite the deleted files, Number of times"},
      {IDC_OPT_AUTOWASH, L"Automatic clean enabled"},
      {IDC_OPT_INTERVALS, L"Time Intervals"},
      {IDC_OPT_INTERVAL0, L"Every 15 minutes"},
      {IDC_OPT_INTERVAL0 + 1, L"Every 30 minutes"},
      {IDC_OPT_INTERVAL0 + 2, L"Every hour"},
      {IDC_OPT_INTERVAL0 + 3, L"Every 4 hours"},
      {IDC_OPT_INTERVAL0 + 4, L"Every 8 hours"},
      {IDC_OPT_STARTWASH, L"Clean when Windows start"},
      {IDC_OPT_SHUTDOWNWASH, L"Clean when Windows shut down"},
      {IDC_OPT_BOSSLABEL1,
       L"You can set a Boss Key(a keyboard key shortcut) that enables you\n"
       L"to quickly hide all web browsers on your system."},
      {IDC_OPT_BOSSKEY, L"Enable Boss Key"},
      {IDC_OPT_BOSSLABEL2, L"Enter the Boss Key below:"},
      {IDOK, L"OK"},
      {IDCANCEL, L"Cancel"},
  };
  for (const auto& c : captions) EXPECT_EQ(CaptionOf(dialog, c.id), c.caption) << c.id;
  EXPECT_EQ(TabCaptions(GetDlgItem(dialog, IDC_OPT_PAGES)),
            (std::vector<std::wstring>{L"Common", L"Schedule", L"Boss Key"}));
  HWND passes = GetDlgItem(dialog, IDC_OPT_WIPENUMBER);
  EXPECT_EQ(SendMessageW(passes, CB_GETCOUNT, 0, 0), 10);
  EXPECT_EQ(SendMessageW(passes, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_OPT_HIDE)), L"Ctrl  F5");
  EXPECT_TRUE(Shows(dialog, IDC_OPT_FASTSCAN));
  EXPECT_FALSE(Shows(dialog, IDC_OPT_AUTOWASH));
  ExpectWholeAndShoot(dialog, "settings-common");

  Check(dialog, IDC_OPT_FASTSCAN);
  Check(dialog, IDC_OPT_LOGTIF);
  Check(dialog, IDC_OPT_ASKCLEAR, false);
  Check(dialog, IDC_OPT_WIPEFILE);
  SendMessageW(passes, CB_SETCURSEL, 2, 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPT_WIPENUMBER, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(passes));

  ASSERT_TRUE(Foreground(dialog));
  TurnPage(dialog, false, IDC_OPT_AUTOWASH);
  EXPECT_FALSE(Shows(dialog, IDC_OPT_FASTSCAN));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_INTERVAL0)));
  Check(dialog, IDC_OPT_AUTOWASH);
  EXPECT_TRUE(
      WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_INTERVAL0 + 4)); }, 5s));
  Check(dialog, IDC_OPT_INTERVAL0 + 3, true,
        {IDC_OPT_INTERVAL0, IDC_OPT_INTERVAL0 + 1, IDC_OPT_INTERVAL0 + 2, IDC_OPT_INTERVAL0 + 4});
  Check(dialog, IDC_OPT_STARTWASH);
  ExpectWholeAndShoot(dialog, "settings-schedule");

  TurnPage(dialog, false, IDC_OPT_HIDE);
  Check(dialog, IDC_OPT_BOSSKEY);
  TypeBossKey(dialog, {VK_CONTROL, VK_SHIFT}, VK_F6, L"Ctrl  Shift  F6");
  TurnPage(dialog, true, IDC_OPT_AUTOWASH);
  TurnPage(dialog, false, IDC_OPT_HIDE);
  ExpectWholeAndShoot(dialog, "settings-bosskey");
  Press(VK_RETURN);
  ASSERT_TRUE(Closed(dialog, 10s));
  // The window commits after the dialog has gone: its answer comes once that is done.
  Settle(main_);

  const struct {
    const wchar_t *section, *key, *value;
  } stored[] = {
      {L"Settings", L"FastScan", L"1"},
      {L"Settings", L"ShowLogTempInternetFiles", L"1"},
      {L"Settings", L"ShowLogRecycleBin", L"0"},
      {L"Settings", L"AskForSweep", L"0"},
      {L"Settings", L"OverwriteFile", L"1"},
      {L"Settings", L"OverwriteNumber", L"3"},
      {L"SChedule", L"AutoWash", L"1"},
      {L"SChedule", L"WashInterval", L"3"},
      {L"SChedule", L"StartWash", L"1"},
      {L"SChedule", L"ShutdownWash", L"0"},
      {L"Hotkey", L"EnableHotkey", L"1"},
      {L"Hotkey", L"IsCtrl", L"1"},
      {L"Hotkey", L"IsShift", L"1"},
      {L"Hotkey", L"IsAlt", L"0"},
      {L"Hotkey", L"CharString", L"F6"},
      {L"Hotkey", L"CharAscII", L"117"},
  };
  for (const auto& s : stored) EXPECT_EQ(Profile(s.section, s.key), s.value) << s.key;
  // Cleaning at Windows' start needs the program to start with Windows: its log-on task.
  EXPECT_TRUE(fs::exists(kTaskFile));
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_EQ(SendMessageW(GetDlgItem(main_, IDC_FASTMODE), BM_GETCHECK, 0, 0), BST_CHECKED);

  // The new boss key, pressed as a user presses it, hides a browser window and shows it.
  HWND browser = BrowserWindow();
  ASSERT_NE(browser, nullptr);
  PressWith({VK_CONTROL, VK_SHIFT}, VK_F6);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(browser); }, 10s));
  PressWith({VK_CONTROL, VK_SHIFT}, VK_F6);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(browser) != FALSE; }, 10s));
  DestroyWindow(browser);
}

TEST_F(SettingsDialog, ByShortcutARefusedKeyAndCancelChangeNothing) {
  const std::string before = ReadFile(kFolder / "settings.ini");
  ASSERT_TRUE(Foreground(main_));
  PressWith({VK_CONTROL, VK_MENU}, 'S');
  HWND dialog = WaitForDialog("Settings");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Foreground(dialog));
  // Tab from OK goes through the strip and the page in its order, back to OK.
  for (const int id :
       {IDCANCEL, IDC_OPT_PAGES, IDC_OPT_FASTSCAN, IDC_OPT_LOGTIF, IDC_OPT_LOGRECYCLE,
        IDC_OPT_ASKCLEAR, IDC_OPT_AUTOSTART, IDC_OPT_WIPEFILE, IDC_OPT_WIPENUMBER, IDOK}) {
    Press(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return GetDlgCtrlID(FocusOf(dialog)) == id; }, 5s))
        << "expected " << id << ", focus on " << GetDlgCtrlID(FocusOf(dialog));
  }
  Check(dialog, IDC_OPT_AUTOSTART);
  TurnPage(dialog, true, IDC_OPT_HIDE);  // from the first page back to the last
  Check(dialog, IDC_OPT_BOSSKEY);
  TypeBossKey(dialog, {VK_CONTROL, VK_MENU}, VK_F7, L"Ctrl  Alt  F7");

  // Another program holds that combination by now.
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, VK_F7));
  Click(dialog, IDOK);
  HWND box = WaitForDialog(app::kProductName);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(FindWindowExW(box, nullptr, L"Static", Wide(app::kBossKeyFailed).c_str()), nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Closed(box));
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(dialog, IDC_OPT_HIDE)) == L"Ctrl  F5"; }, 5s));
  UnregisterHotKey(nullptr, 0x7001);

  ASSERT_TRUE(Foreground(dialog));
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_OPT_HIDE)),
               TRUE);
  Press(VK_ESCAPE);  // Cancel, even from the capture edit
  ASSERT_TRUE(Closed(dialog, 10s));
  EXPECT_EQ(ReadFile(kFolder / "settings.ini"), before);
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_FALSE(fs::exists(kTaskFile));
  EXPECT_EQ(GlobalFindAtomW(L"MyKVLZHotkey_Hide"), 0);
}

// An older install's Run value (unquoted, which Windows 10 and 11 would not even start
// elevated) shows the box ticked; OK moves it to the log-on task, which the box then reads,
// and turning the box off removes the task. Run with WINEDEBUG=+taskschd by the test
// "morvel_gui_logon_task_trace", which reads Wine's scheduler taking the definition.
TEST_F(SettingsDialog, AutorunIsALogonTaskThatTakesOverTheRunValue) {
  const std::wstring older = (kFolder / "morvel.exe").wstring() + L" -Start";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Morvel", REG_SZ, older.c_str(),
                  static_cast<DWORD>((older.size() + 1) * sizeof(wchar_t)));
  const auto settings = [&] {
    Click(main_, ID_ACTION_SETTINGS);
    HWND dialog = WaitForDialog("Settings");
    EXPECT_NE(dialog, nullptr);
    return dialog;
  };
  const auto ok = [&](HWND dialog) {
    Click(dialog, IDOK);
    EXPECT_TRUE(Closed(dialog, 10s));
    Settle(main_);
  };
  HWND dialog = settings();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_OPT_AUTOSTART), BM_GETCHECK, 0, 0), BST_CHECKED);
  ok(dialog);
  EXPECT_TRUE(fs::exists(kTaskFile));
  EXPECT_EQ(RunValue(), std::nullopt);

  dialog = settings();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_OPT_AUTOSTART), BM_GETCHECK, 0, 0), BST_CHECKED)
      << "the task alone ticks the box";
  Check(dialog, IDC_OPT_AUTOSTART, false);
  ok(dialog);
  EXPECT_FALSE(fs::exists(kTaskFile));
  EXPECT_EQ(RunValue(), std::nullopt);
}

}  // namespace
}  // namespace morvel::testing::gui
