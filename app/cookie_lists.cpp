#include "app/cookie_lists.h"

namespace morvel::app {

namespace {

enum class TargetSelects { First, FirstWhenAlone };

void MoveSelected(NameList& from, NameList& to, TargetSelects rule) {
  const int moved = from.selected;
  if (moved < 0 || moved >= static_cast<int>(from.names.size())) return;
  to.names.push_back(from.names[moved]);
  if (rule == TargetSelects::First || to.names.size() == 1) to.selected = 0;
  const bool was_last = moved + 1 == static_cast<int>(from.names.size());
  from.names.erase(from.names.begin() + moved);
  // The list box keeps the entry that followed selected; after the last, its first.
  if (from.names.empty())
    from.selected = -1;
  else
    from.selected = was_last ? 0 : moved;
}

void MoveAll(NameList& from, NameList& to) {
  if (from.names.empty()) return;
  to.names.insert(to.names.end(), from.names.begin(), from.names.end());
  to.selected = 0;
  from.names.clear();
  from.selected = -1;
}

}  // namespace

void CookieLists::Add() { MoveSelected(found, kept, TargetSelects::First); }
void CookieLists::Remove() { MoveSelected(kept, found, TargetSelects::FirstWhenAlone); }
void CookieLists::AddAll() { MoveAll(found, kept); }
void CookieLists::RemoveAll() { MoveAll(kept, found); }
void CookieLists::DoubleClickFound() { MoveSelected(found, kept, TargetSelects::First); }
void CookieLists::DoubleClickKept() { MoveSelected(kept, found, TargetSelects::First); }

}  // namespace morvel::app
