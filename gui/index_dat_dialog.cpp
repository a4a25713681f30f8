#include "gui/index_dat_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "app/help_topics.h"
#include "app/index_dat_viewer.h"
#include "app/main_layout.h"
#include "gui/base/dialog.h"
#include "gui/base/resource_string.h"
#include "gui/base/scoped.h"
#include "gui/base/window_tools.h"
#include "gui/resource.h"
#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_util.h"
#include "stores/index_dat_time.h"

namespace morvel::gui {

namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

// 28 December 2026, 22:58:58 UTC: two-digit day and month, an afternoon hour.
constexpr std::uint64_t kLongestTime = 134'429'723'380'000'000;

class IndexDatDialog final : public Dialog, private app::IndexDatViewerView {
 public:
  IndexDatDialog(HINSTANCE instance, const platform::FileSystem& files,
                 platform::SystemInfo& system)
      : Dialog(instance, IDD_INDEXDAT), system_(system), viewer_(files, system, *this) {}

 protected:
  std::string_view HelpTopic() const override { return app::kHelpIndexDatViewer; }
  void OnInit() override {
    caption_ = ResourceString(instance(), IDS_INDEXDAT_CAPTION);
    if (caption_.empty()) caption_ = app::kIndexDatViewerCaption;
    SetTextOf(hwnd(), caption_);
    SetText(IDC_IDX_FILENAME, app::DefaultIndexDatPath(system_));
    ShowWindow(Item(IDC_IDX_PROGRESS), SW_HIDE);
    SendMessageW(Item(IDC_IDX_PROGRESS), PBM_SETRANGE32, 0, 100);
    SetUpList();
  }

  bool OnCommand(int id, int) override {
    switch (id) {
      case IDC_IDX_BROWSE:
        Browse();
        return true;
      case IDC_IDX_MORE:
        OpenWithShell(hwnd(), app::kIndexDatPage);
        return true;
      case IDC_IDX_SHOW:
        viewer_.OnShow(Text(IDC_IDX_FILENAME));
        return true;
      case IDCANCEL:
        // A read under way stops at its next entry; the dialog ends once it has.
        viewer_.OnClose();
        Close(IDCANCEL);
        return true;
      default:
        return false;
    }
  }

  std::optional<INT_PTR> OnMessage(UINT message, WPARAM, LPARAM lparam) override {
    if (message == WM_DESTROY) {
      viewer_.OnClose();  // destroyed with its owner in the middle of a read
      return std::nullopt;
    }
    if (message != WM_NOTIFY) return std::nullopt;
    const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
    if (header.idFrom != IDC_IDX_LIST) return std::nullopt;
    if (header.code == LVN_GETDISPINFOW) {
      FillRow(reinterpret_cast<NMLVDISPINFOW*>(lparam)->item);
      return TRUE;
    }
    if (header.code == NM_DBLCLK) {
      const LRESULT row = SendMessageW(Item(IDC_IDX_LIST), LVM_GETNEXTITEM, -1, LVNI_SELECTED);
      if (const auto url = viewer_.UrlToOpen(row)) OpenWithShell(hwnd(), *url);
      return TRUE;
    }
    return std::nullopt;
  }

 private:
  // IndexDatViewerView
  void ShowRefusal() override {
    ShowMessageBox(hwnd(), app::kIndexDatRefusal, caption_, MB_OK);
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_IDX_FILENAME)), TRUE);
  }
  void BeginRead() override {
    looked_ = false;
    SendMessageW(Item(IDC_IDX_LIST), LVM_SETITEMCOUNT, 0, 0);
    ShowWindow(Item(IDC_IDX_LINE), SW_HIDE);
    SendMessageW(Item(IDC_IDX_PROGRESS), PBM_SETPOS, 0, 0);
    ShowWindow(Item(IDC_IDX_PROGRESS), SW_SHOW);
  }
  void SetProgress(int percent) override {
    SendMessageW(Item(IDC_IDX_PROGRESS), PBM_SETPOS, percent, 0);
  }
  void LetMessageThrough() override {
    // A look at the queue costs a call into the Wine server: once a millisecond is enough
    // to answer at once, where once an entry would slow a large read down by seconds. The
    // first entry of a read always looks.
    const DWORD now = GetTickCount();
    if (looked_ && now == last_look_) return;
    looked_ = true;
    last_look_ = now;
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      // For the loop that ends the program; this dialog ends first.
      PostQuitMessage(static_cast<int>(msg.wParam));
      viewer_.OnClose();
      Close(IDCANCEL);
      return;
    }
    if (IsDialogMessageW(hwnd(), &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  void ShowRows(std::size_t count, std::string_view total) override {
    SendMessageW(Item(IDC_IDX_LIST), LVM_SETITEMCOUNT, count, 0);
    SetText(IDC_IDX_TOTAL, total);
  }

  void SetUpList() {
    HWND list = Item(IDC_IDX_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const int dpi = platform::win32::DpiOfWindow(hwnd());
    // "Last Modified" as wide as a long date and time in the user's formats needs, so that
    // no time is cut short; 120 pixels at the least.
    const std::wstring widest = Wide(LastModifiedText(system_, kLongestTime));
    const int time_width =
        std::max(app::ScaleToDpi(120, dpi),
                 static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                               reinterpret_cast<LPARAM>(widest.c_str()))) +
                     app::ScaleToDpi(16, dpi));
    const struct {
      const wchar_t* title;
      int width;
    } columns[] = {{L"URL", app::ScaleToDpi(380, dpi)}, {L"Last Modified", time_width}};
    for (int i = 0; i < 2; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.pszText = const_cast<wchar_t*>(columns[i].title);
      column.cx = columns[i].width;
      column.iSubItem = i;
      SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    // ImageList1: the rows' one picture. The list view owns it and destroys it with itself.
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    if (HIMAGELIST images = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 0)) {
      const ScopedIcon icon(static_cast<HICON>(
          LoadImageW(instance(), MAKEINTRESOURCEW(IDI_MORVEL), IMAGE_ICON, cx, cy, 0)));
      if (icon) ImageList_AddIcon(images, icon.get());
      SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    AddHint(hwnd(), list, app::kIndexDatHint, WS_EX_TOPMOST);
  }

  void FillRow(LVITEMW& item) {
    if (item.iItem < 0) return;
    const auto row = static_cast<std::size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
      cell_ = item.iSubItem == 0 ? Wide(viewer_.Url(row)) : Wide(viewer_.LastModified(row));
      const std::size_t n = std::min<std::size_t>(cell_.size(), item.cchTextMax - 1);
      std::copy_n(cell_.c_str(), n, item.pszText);
      item.pszText[n] = L'\0';
    }
    if ((item.mask & LVIF_IMAGE) != 0) item.iImage = viewer_.ImageIndex(row);
  }

  void Browse() {
    wchar_t file[MAX_PATH] = {};
    // The chooser starts in the folder of the name given.
    std::wstring folder = Wide(Text(IDC_IDX_FILENAME));
    const std::size_t cut = folder.find_last_of(L"\\/");
    folder.resize(cut == std::wstring::npos ? 0 : cut + 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = L"Index dat file(*.dat)\0*.DAT\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) SetText(IDC_IDX_FILENAME, Narrow(file));
  }

  platform::SystemInfo& system_;
  app::IndexDatViewer viewer_;
  std::string caption_;
  std::wstring cell_;
  bool looked_ = false;  // at the queue, during this read
  DWORD last_look_ = 0;
};

}  // namespace

void ShowIndexDatViewer(HINSTANCE instance, HWND owner, const platform::FileSystem& files,
                        platform::SystemInfo& system) {
  IndexDatDialog dialog(instance, files, system);
  dialog.RunModal(owner);
}

}  // namespace morvel::gui
