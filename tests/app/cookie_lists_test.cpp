// The Cookies Manager's moves: what each button and double-click appends, deletes and
// selects, as one table. A list is written as its names separated by blanks, the selected
// one in brackets: "a [b] c".
#include "app/cookie_lists.h"

#include <gtest/gtest.h>

#include <sstream>

namespace morvel::app {
namespace {

NameList Parse(const std::string& text) {
  NameList list;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (word.front() == '[') {
      list.selected = static_cast<int>(list.names.size());
      word = word.substr(1, word.size() - 2);
    }
    list.names.push_back(word);
  }
  return list;
}

std::string Show(const NameList& list) {
  std::string text;
  for (int i = 0; i < static_cast<int>(list.names.size()); ++i) {
    if (!text.empty()) text += ' ';
    text += i == list.selected ? "[" + list.names[i] + "]" : list.names[i];
  }
  return text;
}

struct MoveCase {
  const char* name;
  void (CookieLists::*act)();  // the button or double-click
  const char* found;
  const char* kept;
  const char* found_after;
  const char* kept_after;
};

TEST(CookieLists, MovesAndSelections) {
  const MoveCase cases[] = {
      {"Add without a selection", &CookieLists::Add, "a b", "x", "a b", "x"},
      {"Add from the middle: the next entry stays selected, the target's first is selected",
       &CookieLists::Add, "a [b] c", "x [y]", "a [c]", "[x] y b"},
      {"Add of the last entry selects the first remaining", &CookieLists::Add, "a b [c]", "",
       "[a] b", "[c]"},
      {"Add of the only entry", &CookieLists::Add, "[a]", "x", "", "[x] a"},
      {"Remove into a list of several leaves its selection", &CookieLists::Remove, "a [b]", "[k]",
       "a [b] k", ""},
      {"Remove into a list without a selection selects nothing there", &CookieLists::Remove, "a",
       "[k] l", "a k", "[l]"},
      {"Remove into an empty list selects the one entry", &CookieLists::Remove, "", "x [y]", "[y]",
       "[x]"},
      {"Remove without a selection", &CookieLists::Remove, "a", "k l", "a", "k l"},
      {"Double-click on the keep list always selects the target's first",
       &CookieLists::DoubleClickKept, "a [b]", "[k] l", "[a] b k", "[l]"},
      {"Double-click on the found list moves as Add", &CookieLists::DoubleClickFound, "x [y] z",
       "k", "x [z]", "[k] y"},
      {"Double-click on an empty list", &CookieLists::DoubleClickFound, "", "[k]", "", "[k]"},
      {"Double-click without a selection", &CookieLists::DoubleClickKept, "[a]", "k l", "[a]",
       "k l"},
      {"Add All appends in order and clears the source", &CookieLists::AddAll, "a [b] c", "x", "",
       "[x] a b c"},
      {"Add All on an empty left list changes nothing", &CookieLists::AddAll, "", "x [y]", "",
       "x [y]"},
      {"Remove All", &CookieLists::RemoveAll, "[a]", "k [l]", "[a] k l", ""},
  };
  for (const MoveCase& c : cases) {
    CookieLists lists{Parse(c.found), Parse(c.kept)};
    (lists.*c.act)();
    EXPECT_EQ(Show(lists.found), c.found_after) << c.name;
    EXPECT_EQ(Show(lists.kept), c.kept_after) << c.name;
  }
}

TEST(CookieLists, ASelectionBeyondTheListMovesNothing) {
  CookieLists lists{{{"a"}, 3}, {{"k"}, 7}};
  const CookieLists before = lists;
  lists.Add();
  lists.Remove();
  lists.DoubleClickFound();
  lists.DoubleClickKept();
  EXPECT_EQ(lists.found, before.found);
  EXPECT_EQ(lists.kept, before.kept);
}

}  // namespace
}  // namespace morvel::app
