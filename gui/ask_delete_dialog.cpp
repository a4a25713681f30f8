#include "gui/ask_delete_dialog.h"

#include <string>

#include "app/help_topics.h"
#include "gui/base/dialog.h"
#include "gui/base/resource_string.h"
#include "gui/resource.h"

namespace morvel::gui {

namespace {

class AskDeleteDialog final : public Dialog {
 public:
  explicit AskDeleteDialog(HINSTANCE instance) : Dialog(instance, IDD_ASKDELETE) {}
  [[nodiscard]] bool dont_show_again() const { return dont_show_again_; }

 protected:
  std::string_view HelpTopic() const override { return app::kHelpTestAndClean; }
  void OnInit() override {
    SetText(IDC_ASK_LABEL1, ResourceString(instance(), IDS_ASK_WARNING));
    SetText(IDC_ASK_LABEL5, ResourceString(instance(), IDS_ASK_QUESTION));
  }
  bool OnCommand(int id, int) override {
    if (id == IDOK || id == IDCANCEL) dont_show_again_ = Checked(IDC_ASK);
    return false;  // the base closes with the id
  }
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message != WM_CTLCOLORSTATIC) return std::nullopt;
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
    if (id != IDC_ASK_LABEL1 && id != IDC_ASK_LABEL5) return std::nullopt;
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  }

 private:
  bool dont_show_again_ = false;
};

}  // namespace

app::AskAnswer AskBeforeCleaning(HINSTANCE instance, HWND owner) {
  AskDeleteDialog dialog(instance);
  const std::optional<int> closed = dialog.RunModal(owner);
  if (!closed) return {false, false};
  return {*closed == IDOK, dialog.dont_show_again()};
}

}  // namespace morvel::gui
