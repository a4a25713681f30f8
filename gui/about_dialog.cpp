#include "gui/about_dialog.h"

#include <shellapi.h>

#include <string>

#include "app/help_topics.h"
#include "app/product.h"
#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/pictures.h"
#include "gui/resource.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

// A link's caption is its address without the scheme.
std::string Caption(std::string_view address) {
  const auto scheme = address.find("://");
  std::string caption(scheme == std::string_view::npos ? address : address.substr(scheme + 3));
  if (!caption.empty() && caption.back() == '/') caption.pop_back();
  return "<a>" + caption + "</a>";
}

class AboutDialog final : public Dialog {
 public:
  explicit AboutDialog(HINSTANCE instance)
      : Dialog(instance, IDD_ABOUT), banner_(LoadPictureResource(instance, IDP_BANNER)) {}

 protected:
  std::string_view HelpTopic() const override { return app::kHelpWelcome; }
  void OnInit() override {
    SetText(IDC_ABOUT_TITLE, app::kProductName);
    SetText(IDC_ABOUT_MAIL, "<a>" + std::string(app::kSupportMail) + "</a>");
    SetText(IDC_ABOUT_SITE, Caption(app::kHomePage));
    SetText(IDC_ABOUT_MAINSITE, Caption(app::kMakerSite));
  }
  void OnLink(int id) override {
    std::string target;
    if (id == IDC_ABOUT_MAIL) target = "mailto:" + std::string(app::kSupportMail);
    if (id == IDC_ABOUT_SITE) target = app::kHomePage;
    if (id == IDC_ABOUT_MAINSITE) target = app::kMakerSite;
    if (!target.empty()) OpenWithShell(hwnd(), target);
  }
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM, LPARAM lparam) override {
    if (message != WM_DRAWITEM) return std::nullopt;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (item->CtlID != IDC_ABOUT_BANNER) return std::nullopt;
    if (!DrawPicture(item->hDC, banner_.get(), item->rcItem))
      FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
  }

 private:
  ScopedBitmap banner_;
};

}  // namespace

void ShowAboutDialog(HINSTANCE instance, HWND owner) {
  AboutDialog dialog(instance);
  dialog.RunModal(owner);
}

}  // namespace morvel::gui
