#include "gui/custom_list_dialogs.h"

#include <commctrl.h>

#include "app/help_topics.h"
#include "app/main_layout.h"
#include "gui/base/dialog.h"
#include "gui/custom_list_entry_dialogs.h"
#include "gui/resource.h"
#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

using platform::win32::Wide;

class CustomListsView final : public Dialog {
 public:
  CustomListsView(HINSTANCE instance, app::CustomListEditor& editor)
      : Dialog(instance, IDD_CUSTOMLISTS), editor_(editor) {}

 protected:
  std::string_view HelpTopic() const override { return app::kHelpCustomList; }
  void OnInit() override {
    HWND list = Item(IDC_CL_CONTENT);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = app::ScaleToDpi(320, platform::win32::DpiOfWindow(hwnd()));
    wchar_t caption[] = L"Content";
    column.pszText = caption;
    ListView_InsertColumn(list, 0, &column);
    Fill();
  }

  bool OnCommand(int id, int notification) override {
    if (notification != BN_CLICKED) return false;
    switch (id) {
      case IDC_CL_ADDFOLDER:
        if (auto entry = AskFolderEntry(instance(), hwnd(), editor_.NewFolderForm()))
          editor_.Append(std::move(*entry));
        break;
      case IDC_CL_ADDREGISTRY:
        if (auto entry = AskRegistryEntry(instance(), hwnd(), {}))
          editor_.Append(std::move(*entry));
        break;
      case IDC_CL_EDIT:
        Edit();
        break;
      case IDC_CL_REMOVE:
        editor_.RemoveSelected();
        break;
      case IDOK:
        if (!editor_.OkEnabled()) return true;
        if (const auto refused = editor_.Save())
          ShowRefusal(hwnd(), *refused);
        else
          Close(IDOK);
        return true;
      default:
        return false;
    }
    Fill();
    return true;
  }

  std::optional<INT_PTR> OnMessage(UINT message, WPARAM, LPARAM lparam) override {
    if (message != WM_NOTIFY) return std::nullopt;
    const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
    if (header.idFrom != IDC_CL_CONTENT || filling_) return std::nullopt;
    if (header.code == LVN_ITEMCHANGED) {
      const int selected = ListView_GetNextItem(header.hwndFrom, -1, LVNI_SELECTED);
      editor_.Select(selected < 0 ? std::nullopt
                                  : std::optional<std::size_t>(static_cast<std::size_t>(selected)));
      Update();
    } else if (header.code == NM_DBLCLK) {
      Edit();  // a file row cannot be edited: nothing happens
      Fill();
    }
    return std::nullopt;
  }

 private:
  void Edit() {
    if (const auto form = editor_.EditForm())
      if (auto entry = AskRegistryEntry(instance(), hwnd(), *form))
        editor_.ReplaceSelected(std::move(*entry));
  }

  // The rows and the selection as the editor has them.
  void Fill() {
    HWND list = Item(IDC_CL_CONTENT);
    filling_ = true;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    const auto& rows = editor_.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::wstring text = Wide(rows[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = text.data();
      ListView_InsertItem(list, &item);
    }
    if (const auto selected = editor_.selection()) {
      const int row = static_cast<int>(*selected);
      ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list, row, FALSE);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    filling_ = false;
    Update();
    // After a removal the remaining selection, or a button that just went grey, hands
    // the focus to the list.
    HWND focus = GetFocus();
    if (editor_.selection() && focus == Item(IDC_CL_REMOVE)) SetFocus(list);
    if (focus == nullptr || !IsWindowEnabled(focus)) SetFocus(list);
  }

  void Update() {
    EnableWindow(Item(IDC_CL_EDIT), editor_.EditEnabled());
    EnableWindow(Item(IDC_CL_REMOVE), editor_.RemoveEnabled());
    EnableWindow(Item(IDOK), editor_.OkEnabled());
  }

  app::CustomListEditor& editor_;
  bool filling_ = false;
};

}  // namespace

void ShowCustomListsDialog(HINSTANCE instance, HWND owner, app::CustomListEditor& editor) {
  CustomListsView view(instance, editor);
  view.RunModal(owner);
}

}  // namespace morvel::gui
