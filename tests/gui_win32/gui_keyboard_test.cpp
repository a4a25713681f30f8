// The window without a mouse: Tab through every control in layout order, Alt and a
// menu's letter opens it, Alt and a button's letter presses it, and every dialog answers
// Enter with its default button and Esc with Cancel.
#include "tests/gui_win32/gui_fixture.h"

namespace morvel::testing::gui {
namespace {

int FocusedId(HWND main) { return GetDlgCtrlID(FocusOf(main)); }

class Keyboard : public GuiWindow {
 protected:
  void SetUp() override {
    GuiWindow::SetUp();
    program_ = std::make_unique<Program>();
    main_ = Shown(*program_);
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(Foreground(main_));
  }
  void TearDown() override {
    program_.reset();
    GuiWindow::TearDown();
  }
  std::unique_ptr<Program> program_;
  HWND main_ = nullptr;
};

TEST_F(Keyboard, TabVisitsEveryControlInLayoutOrder) {
  ASSERT_TRUE(WaitFor([&] { return FocusedId(main_) == IDC_TREE; })) << FocusedId(main_);
  for (const int id :
       {IDC_LOG, IDC_TEST, IDC_CLEAN, IDC_ONLINEHELP, IDC_FASTMODE, IDC_CHECKUPDATE, IDC_TREE}) {
    Press(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return FocusedId(main_) == id; }, 5s))
        << "expected " << id << ", focus on " << FocusedId(main_);
  }
}

TEST_F(Keyboard, AltLettersOpenTheMenusAndPressTheButtons) {
  for (const WORD letter : {'F', 'A', 'E', 'H'}) {
    Press(letter, true);
    EXPECT_TRUE(WaitFor([&] { return MenuOpen(main_); }, 5s)) << static_cast<char>(letter);
    Press(VK_ESCAPE);
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !MenuOpen(main_); }, 5s)) << static_cast<char>(letter);
  }
  Press('T', true);  // &Test
  EXPECT_TRUE(WaitFor([&] { return Finished(main_); }));
  EXPECT_TRUE(HasLineStarting(LogOf(main_), L"Total items will be removed = 4 ; "));
}

TEST_F(Keyboard, EnterAndEscapeAnswerEveryDialog) {
  for (const WORD key : {VK_RETURN, VK_ESCAPE}) {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(ID_HELP_ABOUT, 0), 0);
    HWND about = WaitForDialog("About Morvel");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(about) == GetDlgItem(about, IDOK); }, 5s));
    Settle(about);
    Screen().Save(BuildFolder().parent_path() / "morvel-about.bmp");
    Press(key);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, 5s)) << key;
  }

  // The confirmation: Esc refuses (nothing runs), Enter goes on with the Clean.
  Press('C', true);  // &Clean
  HWND ask = WaitForDialog(app::kAskCaption);
  ASSERT_NE(ask, nullptr);
  EXPECT_TRUE(WaitFor([&] { return FocusOf(ask) == GetDlgItem(ask, IDOK); }, 5s));
  Settle(ask);
  Screen().Save(BuildFolder().parent_path() / "morvel-ask.bmp");
  Press(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(ask); }, 5s));
  EXPECT_EQ(TextOf(GetDlgItem(main_, IDC_TEST)), L"&Test");
  EXPECT_EQ(TraceCount(), 3);

  Press('C', true);
  ask = WaitForDialog(app::kAskCaption);
  ASSERT_NE(ask, nullptr);
  Press(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] {
    return Finished(main_) && HasLineStarting(LogOf(main_), L"Total items to be removed = 4 ; ");
  }));
  EXPECT_EQ(TraceCount(), 0);
}

}  // namespace
}  // namespace morvel::testing::gui
