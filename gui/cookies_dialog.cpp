#include "gui/cookies_dialog.h"

#include <algorithm>
#include <string>

#include "app/cookies_manager.h"
#include "app/help_topics.h"
#include "gui/base/dialog.h"
#include "gui/base/scoped.h"
#include "gui/base/window_tools.h"
#include "gui/list_box.h"
#include "gui/resource.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

using platform::win32::Wide;

class CookiesDialog final : public Dialog {
 public:
  CookiesDialog(HINSTANCE instance, platform::Port& port)
      : Dialog(instance, IDD_COOKIES), manager_(port) {}

 protected:
  std::string_view HelpTopic() const override { return app::kHelpCookiesManager; }
  void OnInit() override { Show(); }

  bool OnCommand(int id, int notification) override {
    app::CookieLists& lists = manager_.lists();
    // The list boxes hold the selections the user made; the rules start from those.
    lists.found.selected = SelectionOf(Item(IDC_CK_FOUND));
    lists.kept.selected = SelectionOf(Item(IDC_CK_KEPT));
    switch (id) {
      case IDC_CK_ADD:
        lists.Add();
        break;
      case IDC_CK_REMOVE:
        lists.Remove();
        break;
      case IDC_CK_ADDALL:
        lists.AddAll();
        break;
      case IDC_CK_REMOVEALL:
        lists.RemoveAll();
        break;
      case IDC_CK_FOUND:
      case IDC_CK_KEPT:
        if (notification != LBN_DBLCLK) return false;
        if (id == IDC_CK_FOUND)
          lists.DoubleClickFound();
        else
          lists.DoubleClickKept();
        break;
      case IDC_CK_VIEW:
        ViewCookie();
        return true;
      case IDOK:
        Commit();
        return true;
      default:
        return false;
    }
    Show();
    return true;
  }

 private:
  void Show() {
    const app::CookieLists& lists = manager_.lists();
    FillListBox(Item(IDC_CK_FOUND), lists.found.names, lists.found.selected);
    FillListBox(Item(IDC_CK_KEPT), lists.kept.names, lists.kept.selected);
  }

  void ViewCookie() {
    const auto shown = manager_.View();
    if (!shown) return;
    ShowMessageBox(hwnd(), shown->text, shown->caption, MB_OK | MB_ICONINFORMATION);
  }

  void Commit() {
    const platform::Status saved = manager_.Save();
    if (saved.ok()) {
      Close(IDOK);
      return;
    }
    ShowMessageBox(hwnd(), manager_.SaveFailureMessage(saved), app::kProductName,
                   MB_OK | MB_ICONWARNING);
  }

  app::CookiesManager manager_;
};

}  // namespace

void ShowCookiesManager(HINSTANCE instance, HWND owner, platform::Port& port) {
  CookiesDialog dialog(instance, port);
  dialog.RunModal(owner);
}

}  // namespace morvel::gui
