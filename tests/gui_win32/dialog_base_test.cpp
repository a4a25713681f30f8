// The layer every dialog stands on: values in and out by id in UTF-8, a dialog that cannot
// be shown reported as such, and an exception in a handler stopped at the procedure (the
// dialog closes as refused, the program goes on). The focus on the default button is seen
// in the program's own dialogs (gui_keyboard_test.cpp): this process is not the
// foreground one.
#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/base/barrier.h"
#include "gui/base/dialog.h"

namespace morvel::testing::gui {
namespace {

constexpr int kPlain = 100, kName = 101, kBox = 102;

// Does its work in OnInit, then closes itself with `close_with`.
class PlainDialog final : public morvel::gui::Dialog {
 public:
  PlainDialog(int template_id, std::function<void(PlainDialog&)> work, int close_with)
      : Dialog(GetModuleHandleW(nullptr), template_id),
        work_(std::move(work)),
        close_with_(close_with) {}
  using Dialog::Checked;
  using Dialog::hwnd;
  using Dialog::Item;
  using Dialog::SetChecked;
  using Dialog::SetText;
  using Dialog::Text;

  std::string read_back;
  bool box = false;

 protected:
  void OnInit() override {
    work_(*this);
    PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(close_with_, BN_CLICKED), 0);
  }
  bool OnCommand(int id, int) override {
    if (id == IDOK) {
      read_back = Text(kName);
      box = Checked(kBox);
    }
    return false;
  }

 private:
  std::function<void(PlainDialog&)> work_;
  int close_with_;
};

TEST(DialogBase, MovesUtf8ValuesById) {
  PlainDialog dialog(
      kPlain,
      [](PlainDialog& d) {
        d.SetText(kName,
                  "Gr\xC3\xBC\xC3\x9F"
                  "e \xE2\x82\xAC");
        d.SetChecked(kBox, true);
      },
      IDOK);
  EXPECT_EQ(dialog.RunModal(nullptr), IDOK);
  EXPECT_EQ(dialog.read_back,
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
  EXPECT_TRUE(dialog.box);
}

TEST(DialogBase, CancelAndAMissingTemplate) {
  PlainDialog cancelled(
      kPlain, [](PlainDialog&) {}, IDCANCEL);
  EXPECT_EQ(cancelled.RunModal(nullptr), IDCANCEL);
  PlainDialog missing(
      999, [](PlainDialog&) {}, IDOK);
  EXPECT_EQ(missing.RunModal(nullptr), std::nullopt);
}

TEST(DialogBase, AnExceptionInAHandlerClosesTheDialogAsRefused) {
  PlainDialog failing(
      kPlain, [](PlainDialog&) { throw std::runtime_error("set-up failed"); }, IDOK);
  EXPECT_EQ(failing.RunModal(nullptr), IDCANCEL);
}

TEST(Barrier, GivesTheHandlersAnswerOrTheFallback) {
  EXPECT_EQ(morvel::gui::Guarded(
                "test", [] { return 7; }, [] { return -1; }),
            7);
  EXPECT_EQ(morvel::gui::Guarded(
                "test", []() -> int { throw std::runtime_error("x"); }, [] { return -1; }),
            -1);
  EXPECT_EQ(morvel::gui::Guarded(
                "test", []() -> int { throw 3; }, []() -> int { throw std::logic_error("y"); }),
            0);
}

}  // namespace
}  // namespace morvel::testing::gui
