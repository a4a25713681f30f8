// The window as a user meets it at every size it starts with: every button, label and
// link drawn at once (no mouse passing over it), no two controls over each other, before
// and after a run; a screenshot of each under build/.
#include "tests/gui_win32/gui_fixture.h"
#include "tests/gui_win32/screen_dpi.h"

namespace morvel::testing::gui {
namespace {

struct SizeCase {
  const char* name;
  std::string window;  // the [Window] section of settings.ini
  int width, height;   // 0: maximized
};

class StartSizes : public GuiWindow, public ::testing::WithParamInterface<SizeCase> {};

// The pixels of the counter row as they are, against the row drawn anew from scratch:
// equal unless an old text was left behind.
bool CounterRowRedrawsTheSame(HWND main) {
  RECT row;
  GetWindowRect(GetDlgItem(main, IDC_TOTALITEMS), &row);
  RECT number;
  GetWindowRect(GetDlgItem(main, IDC_NUMBER), &number);
  UnionRect(&row, &row, &number);
  Settle(main);
  const Screen before;
  RedrawWindow(main, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const Screen after;
  for (LONG y = row.top; y < row.bottom; ++y)
    for (LONG x = row.left; x < row.right; ++x)
      if (before.At(x, y) != after.At(x, y)) {
        before.Save(BuildFolder().parent_path() / "morvel-counter-before.bmp");
        after.Save(BuildFolder().parent_path() / "morvel-counter-after.bmp");
        return false;
      }
  return true;
}

TEST_P(StartSizes, EveryControlDrawnAndNoneOverlaps) {
  const SizeCase& c = GetParam();
  Settings(c.window, false);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  if (c.width == 0) {
    EXPECT_TRUE(IsZoomed(main));
  } else {
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
  }
  ExpectDrawnAndApart(main, "at start");

  // A Clean, then a Test: the counter row shows, and its longer title replaces the
  // shorter one without a trace of it.
  Click(main, IDC_CLEAN);
  ASSERT_TRUE(WaitFor([&] { return Finished(main); }));
  Click(main, IDC_TEST);
  ASSERT_TRUE(WaitFor([&] {
    return Finished(main) && HasLineStarting(LogOf(main), L"Total items will be removed = ");
  }));
  ExpectDrawnAndApart(main, "after a Clean and a Test");
  EXPECT_TRUE(CounterRowRedrawsTheSame(main));
  Settle(main);
  Screen().Save(BuildFolder().parent_path() / (std::string("morvel-window-") + c.name + ".bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Window, StartSizes,
    ::testing::Values(SizeCase{"design", "", 704, 507},
                      SizeCase{"saved",
                               "[Window]\r\nState=1\r\nLeft=10\r\nTop=10\r\n"
                               "Width=1000\r\nHeight=720\r\n",
                               1000, 720},
                      SizeCase{"maximized", "[Window]\r\nState=3\r\n", 0, 0},
                      // Smaller than the window may be: it starts at its smallest size.
                      SizeCase{"smallest",
                               "[Window]\r\nState=1\r\nLeft=20\r\nTop=20\r\n"
                               "Width=300\r\nHeight=200\r\n",
                               610, 400}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiWindow, At144DpiTheDesignSizeGrowsAndTheControlsWithIt) {
  const ScreenDpi dpi(144);
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 704 * 3 / 2);
  ExpectDrawnAndApart(main, "at 144 DPI");
  Settle(main);
  Screen().Save(BuildFolder().parent_path() / "morvel-window-144dpi.bmp");
}

// settings.ini keeps the geometry in pixels at 96 DPI: a window saved at 144 DPI comes back
// at the size it had, at 96 DPI as at 144.
TEST_F(GuiWindow, GeometrySavedAt144DpiComesBackAtItsSizeAt96) {
  const auto bounds = [](HWND main) {
    RECT r;
    GetWindowRect(main, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
  };
  const auto stored = [] {  // the [Window] section of settings.ini
    const std::string ini = ReadFile(kFolder / "settings.ini");
    const std::size_t start = ini.find("[Window]");
    if (start == std::string::npos) return std::string();
    return ini.substr(start, ini.find('[', start + 1) - start);
  };
  Settings("[Window]\r\nState=1\r\nLeft=20\r\nTop=10\r\nWidth=704\r\nHeight=507\r\n", false);
  {
    const ScreenDpi dpi(144);
    Program program;
    HWND main = Shown(program);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(bounds(main), "30,15 1056x761");
    SetWindowPos(main, nullptr, 60, 30, 1200, 900, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return bounds(main) == "60,30 1200x900"; }, 5s)) << bounds(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Ended(15000));
  }
  EXPECT_EQ(stored(), "[Window]\r\nState=1\r\nLeft=40\r\nTop=20\r\nWidth=800\r\nHeight=600\r\n");
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(bounds(main), "40,20 800x600");
  ExpectDrawnAndApart(main, "back at 96 DPI");
}

}  // namespace
}  // namespace morvel::testing::gui
