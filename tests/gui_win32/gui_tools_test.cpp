// The Cookies Manager and the index.dat viewer, opened from the real window's menus under
// Wine, on what Wine's own WinINet wrote: the prefix's cookie files (InternetSetCookie),
// listed by site and kept by site when a site sets its cookie again, and its cache index
// (CommitUrlCacheEntry). The cookie test cleans the prefix's real cookies,
// so the machine must be there for it (the harness refuses otherwise). Screenshots of both
// dialogs, at 96 and 144 DPI, go to build/.
#include <windows.h>

#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/cookies_manager.h"
#include "app/index_dat_viewer.h"
#include "tests/gui_win32/gui_fixture.h"
#include "tests/gui_win32/screen_dpi.h"
#include "tests/harness/test_machine.h"

namespace morvel::testing::gui {
namespace {

const std::wstring kCookiesCaption = Wide(app::kCookiesManagerCaption);
const std::wstring kViewerCaption = Wide(app::kIndexDatViewerCaption);

class GuiTools : public GuiWindow {
 protected:
  void SetUp() override {
    GuiWindow::SetUp();
    // Cookie files and index entries of the tests' own only; removed again at the end.
    MachineSetup setup;
    setup.remove_cleaner_traces = true;
    machine_ = MakeTestMachine(setup, "GuiTools");
  }
  void TearDown() override {
    machine_.reset();
    GuiWindow::TearDown();
  }

  std::string Folder(platform::SpecialFolder folder) {
    return machine_->system().SpecialFolderPath(folder);
  }
  std::vector<std::wstring> CookieFiles() {
    std::vector<std::wstring> names;
    (void)machine_->files().Enumerate(Folder(platform::SpecialFolder::Cookies),
                                      [&](const platform::FileEntry& e) {
                                        if (e.name.find(".txt") != std::string::npos)
                                          names.push_back(Wide(e.name));
                                        return true;
                                      });
    return names;
  }
  // The dialog the menu item `command` of the main window opens.
  static HWND Open(HWND main, int command, const std::wstring& caption) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    HWND dialog = DialogOf(main, caption);
    EXPECT_NE(dialog, nullptr) << "menu item " << command;
    if (dialog != nullptr) Settle(dialog);
    return dialog;
  }
  static void Shot(HWND window, const char* name) {
    Settle(window);
    Screen().Save(BuildFolder().parent_path() / name);
  }
  // The client area is the design's at least: the dialog font's units may make it larger
  // (Wine's is wider than Windows'), never smaller.
  static void ExpectAtLeast(HWND dialog, int width, int height) {
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_GE(client.right, width) << TextOf(dialog);
    EXPECT_GE(client.bottom, height) << TextOf(dialog);
  }
  static void Answer(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
  static bool Gone(HWND dialog) { return Closed(dialog, 20s); }

  std::unique_ptr<TestMachine> machine_;
};

// The row a list shows for the cookie file `file` of `site`.
std::wstring Row(const std::wstring& site, const std::wstring& file) {
  return site + L" (" + file + L")";
}

TEST_F(GuiTools, CookiesManagerListsSitesAndKeepsASiteWhoseCookieIsSetAgain) {
  const std::wstring keep = L"keep.morvel-gui.test", gone = L"gone.morvel-gui.test";
  const auto set_cookie = [](const std::wstring& site, const wchar_t* value) {
    const std::wstring cookie =
        std::wstring(L"id=") + value + L"; expires=Thu, 30-Dec-2038 12:00:00 GMT";
    return InternetSetCookieW((L"http://" + site + L"/").c_str(), nullptr, cookie.c_str());
  };
  for (const std::wstring& site : {keep, gone})
    ASSERT_TRUE(set_cookie(site, L"1")) << GetLastError();
  const std::vector<std::wstring> set = CookieFiles();
  ASSERT_EQ(set.size(), 2u) << "Wine writes one .txt file per cookie with an expiry";
  WriteFile(kFolder / "settings.ini",
            "[Settings]\r\nAskForSweep=0\r\n[NodeSelected]\r\n1=Internet Explorer\r\n"
            "2=Internet Explorer - Cookies\r\nSelectedCount=2\r\n");
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);

  HWND dialog = Open(main, ID_EDIT_COOKIES, kCookiesCaption);
  ASSERT_NE(dialog, nullptr);
  HWND found = GetDlgItem(dialog, IDC_CK_FOUND), kept = GetDlgItem(dialog, IDC_CK_KEPT);
  // Each file as its site, the random name after it, in the folder's order.
  const std::vector<std::wstring> rows = ListBoxItems(found);
  ASSERT_EQ(rows.size(), 2u);
  const int keep_row = rows[0].starts_with(keep) ? 0 : 1;
  const std::wstring keep_file = set[keep_row], gone_file = set[1 - keep_row];
  EXPECT_EQ(rows[keep_row], Row(keep, keep_file));
  EXPECT_EQ(rows[1 - keep_row], Row(gone, gone_file));
  EXPECT_TRUE(ListBoxItems(kept).empty());
  ExpectDrawnAndApart(dialog, "cookies manager");
  ExpectAtLeast(dialog, 510, 328);

  // View: the cookie's fields in a message box named after its file.
  SendMessageW(found, LB_SETCURSEL, keep_row, 0);
  Click(dialog, IDC_CK_VIEW);
  HWND view = DialogOf(dialog, keep_file);
  ASSERT_NE(view, nullptr);
  const std::wstring text = TextOf(GetDlgItem(view, 0xFFFF));  // a message box's text
  for (const std::wstring& part :
       {L"Name: id\r\nValue: 1\r\nSite: " + keep, std::wstring(L"Expires: ")})
    EXPECT_NE(text.find(part), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"2038"), std::wstring::npos) << text;
  Answer(view);
  ASSERT_TRUE(Gone(view));

  Click(dialog, IDC_CK_ADD);
  ASSERT_TRUE(WaitFor([&] { return ListBoxItems(kept) == std::vector{Row(keep, keep_file)}; }));
  EXPECT_EQ(ListBoxItems(found), std::vector{Row(gone, gone_file)});
  Shot(dialog, "morvel-cookies.bmp");
  Click(dialog, IDOK);
  ASSERT_TRUE(Gone(dialog));
  const std::string narrow_file(keep_file.begin(), keep_file.end());
  const std::string narrow_site(keep.begin(), keep.end());
  EXPECT_EQ(ReadFile(kFolder / "Cookies.dat"), "[Cookies to keep]\r\nCount=1\r\n0=" + narrow_file +
                                                   "\r\nSiteCount=1\r\nSite0=" + narrow_site +
                                                   "\r\n");

  // The kept site sets its cookie again: WinINet writes it under a new name.
  ASSERT_TRUE(set_cookie(keep, L"2")) << GetLastError();
  const std::vector<std::wstring> again = CookieFiles();
  ASSERT_EQ(again.size(), 2u);
  const std::wstring renewed = again[0] == gone_file ? again[1] : again[0];
  EXPECT_NE(renewed, keep_file) << "the cookie kept its file's name";

  Click(main, IDC_CLEAN);
  ASSERT_TRUE(WaitFor([&] { return Finished(main); }));
  EXPECT_EQ(CookieFiles(), std::vector{renewed});
  EXPECT_TRUE(HasLineStarting(LogOf(main), L"Total items to be removed = 1 ; "))
      << ::testing::PrintToString(LogOf(main));

  // The Manager keeps showing it kept, under its new name.
  dialog = Open(main, ID_EDIT_COOKIES, kCookiesCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ListBoxItems(GetDlgItem(dialog, IDC_CK_KEPT)), std::vector{Row(keep, renewed)});
  EXPECT_TRUE(ListBoxItems(GetDlgItem(dialog, IDC_CK_FOUND)).empty());
  Click(dialog, IDCANCEL);
  EXPECT_TRUE(Gone(dialog));
}

TEST_F(GuiTools, IndexDatViewerListsWhatWinInetWroteAndRefusesOtherNames) {
  const std::vector<std::string> urls = {"http://morvel-viewer-1.test/page.html",
                                         "http://morvel-viewer-2.test/picture.png?size=large"};
  for (const std::string& url : urls) ASSERT_EQ(machine_->AddUrlCacheEntry(url), std::nullopt);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  HWND dialog = Open(main, ID_FILE_INDEXDAT, kViewerCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_IDX_FILENAME)),
            Wide(Folder(platform::SpecialFolder::InternetCache)) + L"\\Content.IE5\\index.dat");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_IDX_TOTAL)), L"0");
  ExpectDrawnAndApart(dialog, "index.dat viewer");
  ExpectAtLeast(dialog, 676, 501);

  HWND list = GetDlgItem(dialog, IDC_IDX_LIST);
  Click(dialog, IDC_IDX_SHOW);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }));
  const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_IDX_TOTAL)), std::to_wstring(rows));
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_IDX_PROGRESS), PBM_GETPOS, 0, 0), 100);
  for (const std::string& url : urls) {
    int row = 0;
    while (row < rows && ListViewText(list, row, 0) != Wide(url)) ++row;
    ASSERT_LT(row, rows) << url;
    const std::wstring time = ListViewText(list, row, 1);
    EXPECT_NE(time.find(L"20"), std::wstring::npos) << url << ": a date of this century";
  }
  Shot(dialog, "morvel-indexdat.bmp");

  // Another name: the message, and the rows stay.
  SendMessageW(GetDlgItem(dialog, IDC_IDX_FILENAME), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"C:\\morvel-gui-test\\settings.ini"));
  Click(dialog, IDC_IDX_SHOW);
  HWND refusal = DialogOf(dialog, kViewerCaption);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(refusal, 0xFFFF)), Wide(app::kIndexDatRefusal));
  Answer(refusal);
  ASSERT_TRUE(Gone(refusal));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), rows);
  Click(dialog, IDCANCEL);
  EXPECT_TRUE(Gone(dialog));
}

TEST_F(GuiTools, IndexDatViewerTakesShowAndCloseInTheMiddleOfARead) {
  ASSERT_EQ(machine_->AddUrlCacheEntry("http://morvel-viewer-3.test/"), std::nullopt);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  HWND dialog = Open(main, ID_FILE_INDEXDAT, kViewerCaption);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_IDX_LIST);
  // Posted together: the second waits in the queue and is let through by the first read.
  Click(dialog, IDC_IDX_SHOW);
  Click(dialog, IDC_IDX_SHOW);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }));
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored));
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_IDX_TOTAL)),
            std::to_wstring(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  Click(dialog, IDC_IDX_SHOW);
  Click(dialog, IDCANCEL);
  EXPECT_TRUE(Gone(dialog));
  // The window is itself again: it opens the viewer anew.
  HWND again = Open(main, ID_FILE_INDEXDAT, kViewerCaption);
  ASSERT_NE(again, nullptr);
  PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Gone(again));
}

TEST_F(GuiTools, BothDialogsAt144Dpi) {
  const ScreenDpi dpi(144);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  const struct {
    int command;
    const std::wstring& caption;
    int width, height;
    const char* shot;
  } dialogs[] = {{ID_EDIT_COOKIES, kCookiesCaption, 510, 328, "morvel-cookies-144dpi.bmp"},
                 {ID_FILE_INDEXDAT, kViewerCaption, 676, 501, "morvel-indexdat-144dpi.bmp"}};
  for (const auto& d : dialogs) {
    HWND dialog = Open(main, d.command, d.caption);
    ASSERT_NE(dialog, nullptr);
    // Grown with the DPI; the font's height does not grow by exactly half.
    ExpectAtLeast(dialog, d.width * 7 / 5, d.height * 7 / 5);
    ExpectDrawnAndApart(dialog, d.shot);
    Shot(dialog, d.shot);
    Click(dialog, IDCANCEL);
    EXPECT_TRUE(Gone(dialog));
  }
}

}  // namespace
}  // namespace morvel::testing::gui
