#pragma once
// Where the main window's controls go for a client area: the title strip and the bottom
// panel span the width, the tree and the progress group fill the height between them,
// the log fills the group above the buttons. Sizes are pixels at the window's DPI; the
// design is given at 96 DPI and every fixed distance is scaled with it.

namespace morvel::app {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  [[nodiscard]] int right() const { return left + width; }
  [[nodiscard]] int bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

// Controls of the group box are placed relative to the group, those of the bottom panel
// relative to the panel; the rest relative to the client area.
struct MainLayout {
  Rect title;         // imgTitle
  Rect label1;        // "Cleaner Settings", above the tree
  Rect tree;          // tvCleanItems
  Rect group;         // GroupBox1
  Rect progress;      // ProgressBar1 (in group)
  Rect log;           // lMain (in group)
  Rect test;          // bTest (in group)
  Rect clean;         // bClean (in group)
  Rect label2;        // "Clearing:" (in group)
  Rect current_item;  // lCurrentItem (in group)
  Rect total_items;   // lTotalItems (in group)
  Rect number;        // lNumber (in group)
  Rect panel;         // Panel1
  Rect online_help;   // lOnlineHelp (in panel)
  Rect check_update;  // lCheckUpdate (in panel)
  Rect fast_mode;     // cbFastMode (in panel)
  bool operator==(const MainLayout&) const = default;
};

inline constexpr int kMinWidth = 610;
inline constexpr int kMinHeight = 400;
inline constexpr int kDesignDpi = 96;

// `pixels` at 96 DPI, at `dpi`; and back: `pixels` at `dpi`, at 96 DPI. Both round to the
// nearest pixel, halves away from zero.
int ScaleToDpi(int pixels, int dpi);
int ScaleFromDpi(int pixels, int dpi);

// The controls as designed, for a client area of the design size, at `dpi`.
MainLayout DesignLayout(int dpi = kDesignDpi);

// LayoutControls: `current` holds the controls as they are at `dpi`: their fixed sizes
// and positions, and the measured widths of lTotalItems' text, of the widest counter the
// window shows (lNumber) and of the two links.
//
// The labels of the counter row share the buttons' row: they end before bTest, so a long
// item key is cut with an ellipsis and a narrow window shortens the counter's title
// before the counter itself (lNumber stays 5 pixels right of lTotalItems).
MainLayout LayoutControls(int client_width, int client_height, const MainLayout& current,
                          int dpi = kDesignDpi);

}  // namespace morvel::app
