// The custom list's three dialogs in the real morvel.exe under Wine: opened from the Edit
// menu and from "<New List>" in the tree, a file and a registry entry added, a row edited
// and one removed, OK writing Clist.dat in list order; bad entries, a read-only Clist.dat
// and Cancel leave the file as it was. Screenshots of every dialog at 96 and 144 DPI.
#include <fstream>
#include <sstream>

#include "tests/gui_win32/gui_fixture.h"

namespace morvel::testing::gui {
namespace {

const std::wstring kTracesW = kTraces.wstring();

std::string ListFile() { return ReadFile(kFolder / "Clist.dat"); }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SetText(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The dialog's error box: its text, then closed with OK.
std::wstring Refusal() {
  HWND box = WaitForDialog(app::kProductName);
  if (box == nullptr) return L"(no box)";
  std::wstring text;
  for (HWND c = FindWindowExW(box, nullptr, L"Static", nullptr); c != nullptr;
       c = FindWindowExW(box, c, L"Static", nullptr))
    if (!TextOf(c).empty()) text = TextOf(c);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  Closed(box);
  return text;
}

HWND OpenList(HWND main) {
  Click(main, ID_EDIT_CUSTOMLISTS);
  return WaitForDialog("Custom Lists");
}

TEST_F(GuiWindow, CustomListsAddEditRemoveAndSaveInListOrder) {
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  HWND rows = GetDlgItem(list, IDC_CL_CONTENT);
  EXPECT_EQ(ListViewRows(rows), (std::vector<std::wstring>{
                                    kTracesW + L",*.tmp",
                                    L"HKEY_CURRENT_USER\\Software\\Morvel GUI Test,Last Search"}));
  for (const auto& [id, caption] :
       {std::pair{IDC_CL_ADDFOLDER, L"Add File & Folder"},
        std::pair{IDC_CL_ADDREGISTRY, L"Add Registry"}, std::pair{IDC_CL_EDIT, L"Edit"},
        std::pair{IDC_CL_REMOVE, L"Remove Selected"}})
    EXPECT_EQ(CaptionOf(list, id), caption);
  EXPECT_FALSE(Enabled(list, IDC_CL_EDIT));
  EXPECT_FALSE(Enabled(list, IDC_CL_REMOVE));
  ExpectWholeAndShoot(list, "custom-lists");

  // A registry entry: OK waits for a key with a root, and a value name when one is asked for.
  Click(list, IDC_CL_ADDREGISTRY);
  HWND registry = WaitForDialog("Add Registry");
  ASSERT_NE(registry, nullptr);
  EXPECT_FALSE(Enabled(registry, IDOK));
  EXPECT_FALSE(Enabled(registry, IDC_AR_VALUE));
  ExpectWholeAndShoot(registry, "add-registry");
  SetText(registry, IDC_AR_KEY, L"Software\\HKEY_x");
  EXPECT_TRUE(WaitFor([&] { return Enabled(registry, IDOK); }, 5s));
  Click(registry, IDOK);
  EXPECT_EQ(Refusal().rfind(L"Enter the registry key with its root", 0), 0u);
  SetText(registry, IDC_AR_KEY, L"HKEY_CURRENT_USER\\Software\\Morvel GUI Test");
  Check(registry, IDC_AR_DELETEVALUE, true, {IDC_AR_DELETEKEY, IDC_AR_DELETEVALUES});
  EXPECT_TRUE(
      WaitFor([&] { return Enabled(registry, IDC_AR_VALUE) && !Enabled(registry, IDOK); }, 5s));
  SetText(registry, IDC_AR_VALUE, L"Theme");
  EXPECT_TRUE(WaitFor([&] { return Enabled(registry, IDOK); }, 5s));
  Click(registry, IDOK);
  ASSERT_TRUE(Closed(registry));

  // A single file of a folder: the list follows the folder typed in.
  Click(list, IDC_CL_ADDFOLDER);
  HWND folder = WaitForDialog("Add File and Folder");
  ASSERT_NE(folder, nullptr);
  EXPECT_TRUE(Shows(folder, IDC_AF_FILES));
  EXPECT_FALSE(Shows(folder, IDC_AF_WASHMODE));
  SetText(folder, IDC_AF_FOLDER, kTracesW);
  HWND files = GetDlgItem(folder, IDC_AF_FILES);
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 4; }, 5s));
  EXPECT_FALSE(Enabled(folder, IDOK));
  SendMessageW(files, LB_SETCURSEL, 3, 0);  // keep.txt
  PostMessageW(folder, WM_COMMAND, MAKEWPARAM(IDC_AF_FILES, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(files));
  EXPECT_TRUE(WaitFor([&] { return Enabled(folder, IDOK); }, 5s));
  ExpectWholeAndShoot(folder, "add-folder-file");
  Check(folder, IDC_AF_MULTIPLE, true, {IDC_AF_SINGLE});
  EXPECT_TRUE(
      WaitFor([&] { return Shows(folder, IDC_AF_WASHMODE) && !Shows(folder, IDC_AF_FILES); }, 5s));
  EXPECT_EQ(TextOf(GetDlgItem(folder, IDC_AF_MATCH)), L"*.");
  ExpectWholeAndShoot(folder, "add-folder-mode");
  // The shell's folder browser opens over it and goes with Cancel.
  Click(folder, IDC_AF_BROWSE);
  HWND browser = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    browser = GetLastActivePopup(folder);
    return browser != folder && IsWindowVisible(browser);
  }));
  if (browser != folder) PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitFor([&] { return GetLastActivePopup(folder) == folder; }));
  EXPECT_EQ(TextOf(GetDlgItem(folder, IDC_AF_FOLDER)), kTracesW);
  Check(folder, IDC_AF_SINGLE, true, {IDC_AF_MULTIPLE});
  // The click is posted: the list is filled anew when it arrives, not before.
  EXPECT_TRUE(WaitFor(
      [&] { return Shows(folder, IDC_AF_FILES) && SendMessageW(files, LB_GETCOUNT, 0, 0) == 4; },
      5s));
  SendMessageW(files, LB_SETCURSEL, 3, 0);
  PostMessageW(folder, WM_COMMAND, MAKEWPARAM(IDC_AF_FILES, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(files));
  Click(folder, IDOK);
  ASSERT_TRUE(Closed(folder));

  // The registry row goes back into its dialog; a file row cannot be edited.
  SelectListViewRow(rows, 0);
  EXPECT_TRUE(
      WaitFor([&] { return Enabled(list, IDC_CL_REMOVE) && !Enabled(list, IDC_CL_EDIT); }, 5s));
  SelectListViewRow(rows, 1);
  EXPECT_TRUE(WaitFor([&] { return Enabled(list, IDC_CL_EDIT); }, 5s));
  Click(list, IDC_CL_EDIT);
  registry = WaitForDialog("Add Registry");
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(registry, IDC_AR_KEY)),
            L"HKEY_CURRENT_USER\\Software\\Morvel GUI Test");
  EXPECT_EQ(TextOf(GetDlgItem(registry, IDC_AR_VALUE)), L"Last Search");
  EXPECT_EQ(SendMessageW(GetDlgItem(registry, IDC_AR_DELETEVALUE), BM_GETCHECK, 0, 0), BST_CHECKED);
  Check(registry, IDC_AR_DELETEVALUES, true, {IDC_AR_DELETEKEY, IDC_AR_DELETEVALUE});
  Click(registry, IDOK);
  ASSERT_TRUE(Closed(registry));

  SelectListViewRow(rows, 0);
  Click(list, IDC_CL_REMOVE);
  EXPECT_TRUE(WaitFor([&] { return ListViewRows(rows).size() == 3; }, 5s));
  Click(list, IDOK);
  ASSERT_TRUE(Closed(list));
  EXPECT_EQ(ListFile(),
            "[<New List>]\r\n"
            "DelRegValue1=HKEY_CURRENT_USER\\Software\\Morvel GUI Test,\r\n"
            "DelRegValue2=HKEY_CURRENT_USER\\Software\\Morvel GUI Test,Theme\r\n"
            "DelFile1=C:\\morvel-gui-test\\traces,keep.txt\r\n");
}

TEST_F(GuiWindow, CustomListsFromTheTreeAndAReadOnlyFile) {
  const std::string before = ListFile();
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  const auto label = TreeItemLabel(GetDlgItem(main, IDC_TREE), L"<New List>");
  ASSERT_TRUE(label.has_value());
  ClickAt({(label->left + label->right) / 2, (label->top + label->bottom) / 2});
  HWND list = WaitForDialog("Custom Lists");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(Foreground(list));
  Press(VK_ESCAPE);
  ASSERT_TRUE(Closed(list));
  EXPECT_EQ(ListFile(), before);

  SetFileAttributesW((kFolder / "Clist.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  list = OpenList(main);
  ASSERT_NE(list, nullptr);
  SelectListViewRow(GetDlgItem(list, IDC_CL_CONTENT), 1);
  Click(list, IDC_CL_REMOVE);
  Click(list, IDOK);
  EXPECT_EQ(Refusal(),
            L"Clist.dat could not be saved (access denied; the file may be read-only). "
            L"The list was not saved.");
  EXPECT_TRUE(IsWindow(list));
  Click(list, IDCANCEL);
  EXPECT_TRUE(Closed(list));
  SetFileAttributesW((kFolder / "Clist.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ListFile(), before);
}

// Every dialog page at 144 DPI: the dialogs grow with their font, and nothing is cut off
// or drawn over another control.
TEST_F(GuiWindow, EveryDialogPageAt144Dpi) {
  const ScreenDpi dpi(144);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  Click(main, ID_ACTION_SETTINGS);
  HWND settings = WaitForDialog("Settings");
  ASSERT_NE(settings, nullptr);
  ASSERT_TRUE(Foreground(settings));
  const std::pair<int, const char*> pages[] = {{IDC_OPT_FASTSCAN, "settings-common-144dpi"},
                                               {IDC_OPT_AUTOWASH, "settings-schedule-144dpi"},
                                               {IDC_OPT_HIDE, "settings-bosskey-144dpi"}};
  for (const auto& [shown, name] : pages) {
    if (!Shows(settings, shown)) PressWith({VK_CONTROL}, VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return Shows(settings, shown); }, 5s)) << name;
    ExpectWholeAndShoot(settings, name);
  }
  Press(VK_ESCAPE);
  ASSERT_TRUE(Closed(settings));

  HWND list = OpenList(main);
  ASSERT_NE(list, nullptr);
  ExpectWholeAndShoot(list, "custom-lists-144dpi");
  Click(list, IDC_CL_ADDREGISTRY);
  HWND registry = WaitForDialog("Add Registry");
  ASSERT_NE(registry, nullptr);
  ExpectWholeAndShoot(registry, "add-registry-144dpi");
  Click(registry, IDCANCEL);
  ASSERT_TRUE(Closed(registry));
  Click(list, IDC_CL_ADDFOLDER);
  HWND folder = WaitForDialog("Add File and Folder");
  ASSERT_NE(folder, nullptr);
  ExpectWholeAndShoot(folder, "add-folder-file-144dpi");
  Check(folder, IDC_AF_MULTIPLE, true, {IDC_AF_SINGLE});
  EXPECT_TRUE(WaitFor([&] { return Shows(folder, IDC_AF_WASHMODE); }, 5s));
  ExpectWholeAndShoot(folder, "add-folder-mode-144dpi");
  Click(folder, IDCANCEL);
  ASSERT_TRUE(Closed(folder));
  Click(list, IDCANCEL);
  EXPECT_TRUE(Closed(list));
}

}  // namespace
}  // namespace morvel::testing::gui
