#pragma once
// The Cookies Manager's two lists and the moves between them: the cookie files found on
// the left, the cookies to keep on the right, each with the selection its list box shows.
// Every rule about what a move appends, deletes and selects lives here.

#include <string>
#include <vector>

namespace morvel::app {

// A single-selection list box as the rules see it.
struct NameList {
  std::vector<std::string> names;
  int selected = -1;  // -1: nothing selected
  bool operator==(const NameList&) const = default;
};

struct CookieLists {
  NameList found;  // "All cookies found"
  NameList kept;   // "Cookies to keep"

  // "Add ->" and "Remove <-": the selected name to the end of the other list, which then
  // selects its first entry (Remove: only when that is its one entry). The source's
  // selection passes to the entry that followed, or to its first when the last went.
  // Nothing happens without a selection.
  void Add();
  void Remove();
  // "Add All ->" and "Remove All <-": every name, in order, to the end of the other list,
  // which selects its first entry; the source is left empty. Nothing on an empty source.
  void AddAll();
  void RemoveAll();
  // A double-click on a list moves its selected name as the buttons do, except that the
  // other list always selects its first entry.
  void DoubleClickFound();
  void DoubleClickKept();
};

}  // namespace morvel::app
