#include "app/main_layout.h"

#include <algorithm>

namespace morvel::app {

namespace {

// Between the labels of the counter row and bTest.
constexpr int kLabelGap = 6;

Rect Scaled(const Rect& r, int dpi) {
  // Edges, not sizes, are scaled, so that controls apart at 96 DPI stay apart.
  const int left = ScaleToDpi(r.left, dpi), top = ScaleToDpi(r.top, dpi);
  return {left, top, ScaleToDpi(r.right(), dpi) - left, ScaleToDpi(r.bottom(), dpi) - top};
}

// pixels * to / from, rounded to the nearest, halves away from zero.
int Rescaled(int pixels, int to, int from) {
  if (from <= 0) return pixels;  // no DPI known: as it is
  const long long scaled = static_cast<long long>(pixels) * to;
  return static_cast<int>(scaled >= 0 ? (scaled + from / 2) / from
                                      : -((-scaled + from / 2) / from));
}

}  // namespace

int ScaleToDpi(int pixels, int dpi) { return Rescaled(pixels, dpi, kDesignDpi); }
int ScaleFromDpi(int pixels, int dpi) { return Rescaled(pixels, kDesignDpi, dpi); }

MainLayout DesignLayout(int dpi) {
  MainLayout d;
  d.title = {0, 0, 688, 50};
  d.label1 = {8, 54, 220, 16};
  d.tree = {8, 74, 220, 339};
  d.group = {236, 56, 446, 357};
  d.progress = {8, 18, 430, 20};
  d.log = {8, 44, 430, 268};
  d.test = {268, 322, 75, 25};
  d.clean = {363, 322, 75, 25};
  // The counter row's labels are one line of the 8-point font high, so that the lower
  // one ends clear of the group's frame.
  d.label2 = {8, 320, 52, 14};
  d.current_item = {64, 320, 198, 14};
  d.total_items = {8, 339, 170, 14};
  d.number = {183, 339, 60, 14};
  d.panel = {0, 423, 688, 26};
  d.online_help = {8, 5, 120, 16};
  d.check_update = {530, 5, 150, 16};
  d.fast_mode = {236, 4, 100, 18};
  if (dpi == kDesignDpi) return d;
  for (Rect* r : {&d.title, &d.label1, &d.tree, &d.group, &d.progress, &d.log, &d.test, &d.clean,
                  &d.label2, &d.current_item, &d.total_items, &d.number, &d.panel, &d.online_help,
                  &d.check_update, &d.fast_mode})
    *r = Scaled(*r, dpi);
  return d;
}

MainLayout LayoutControls(int client_width, int client_height, const MainLayout& c, int dpi) {
  const auto px = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
  MainLayout l = c;
  l.title.width = client_width;
  l.title.height = px(50);
  l.panel.width = client_width;
  l.panel.top = client_height - l.panel.height;

  l.tree.height = client_height - l.tree.top - l.panel.height - px(10);
  l.group.height = client_height - l.group.top - l.panel.height - px(10);
  l.group.width = client_width - l.group.left - px(6);

  l.test.top = l.group.height - l.test.height - px(10);
  l.progress.width = l.group.width - px(16);
  l.log.width = l.progress.width;
  l.log.height = l.test.top - l.log.top - px(10);

  l.clean.top = l.test.top;
  l.clean.left = l.log.right() - l.clean.width;
  l.test.left = l.clean.left - l.test.width - px(20);

  l.check_update.left = l.panel.width - l.check_update.width - px(8);
  l.fast_mode.left = l.group.left;

  l.label2.top = l.log.bottom() + px(8);
  l.current_item.top = l.label2.top;
  l.total_items.left = l.label2.left;
  l.total_items.top = l.label2.bottom() + px(5);
  l.number.top = l.total_items.top;

  // The row ends before bTest (widths the design leaves to the labels' text).
  const int row_end = l.test.left - px(kLabelGap);
  l.current_item.width = std::max(0, row_end - l.current_item.left);
  l.total_items.width =
      std::clamp(row_end - l.number.width - px(5) - l.total_items.left, 0, c.total_items.width);
  l.number.left = l.total_items.right() + px(5);
  l.number.width = std::max(0, std::min(l.number.width, row_end - l.number.left));
  return l;
}

}  // namespace morvel::app
