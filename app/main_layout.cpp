#include "app/main_layout.h"

namespace morvel::app {

MainLayout DesignLayout() {
  MainLayout d;
  d.title = {0, 0, 688, 50};
  d.tree = {8, 74, 220, 339};
  d.group = {236, 56, 446, 357};
  d.progress = {8, 18, 430, 20};
  d.log = {8, 44, 430, 268};
  d.test = {268, 322, 75, 25};
  d.clean = {363, 322, 75, 25};
  d.label2 = {8, 320, 52, 16};
  d.current_item = {64, 320, 360, 16};
  d.total_items = {8, 341, 170, 16};
  d.number = {183, 341, 60, 16};
  d.panel = {0, 423, 688, 26};
  d.check_update = {530, 5, 150, 16};
  d.fast_mode = {236, 4, 100, 18};
  return d;
}

MainLayout LayoutControls(int client_width, int client_height, const MainLayout& c) {
  MainLayout l = c;
  l.title.width = client_width;
  l.title.height = 50;
  l.panel.width = client_width;
  l.panel.top = client_height - l.panel.height;

  l.tree.height = client_height - l.tree.top - l.panel.height - 10;
  l.group.height = client_height - l.group.top - l.panel.height - 10;
  l.group.width = client_width - l.group.left - 6;

  l.test.top = l.group.height - l.test.height - 10;
  l.progress.width = l.group.width - 16;
  l.log.width = l.progress.width;
  l.log.height = l.test.top - l.log.top - 10;

  l.clean.top = l.test.top;
  l.clean.left = l.log.right() - l.clean.width;
  l.test.left = l.clean.left - l.test.width - 20;

  l.check_update.left = l.panel.width - l.check_update.width - 8;
  l.fast_mode.left = l.group.left;

  l.label2.top = l.log.bottom() + 8;
  l.current_item.top = l.label2.top;
  l.total_items.left = l.label2.left;
  l.total_items.top = l.label2.bottom() + 5;
  l.number.top = l.total_items.top;
  l.number.left = l.total_items.right() + 5;
  return l;
}

}  // namespace morvel::app
