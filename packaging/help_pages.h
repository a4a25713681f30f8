#pragma once
// The help file's pages about the catalogue, made from the item table itself: one page a
// category with what each of its items removes, and an overview of them all. The words
// come from the help sources (one line per item); making the pages fails when the table
// has an item without words or the words name an item the table does not have, so the
// help cannot drift from the program.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/ini_file.h"

namespace morvel::packaging {

struct HelpPage {
  std::string file;
  std::string title;
  std::string body;  // HTML after the heading
  // Index words, each with the anchor it leads to in this page ("" for the page).
  std::vector<std::pair<std::string, std::string>> keywords;
};

struct ItemPages {
  HelpPage overview;                 // every category with its items
  std::vector<HelpPage> categories;  // one per category, in tree order
};

struct HelpSourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// `words`: a section per category, "About" for the category and one key per item text.
// `definitions`: the shipped definition file, whose sections serve some items and the
// Applications category. Throws HelpSourceError on a missing or unknown category or item,
// or on an item served by a section that the definition file does not have.
ItemPages BuildItemPages(const IniDocument& words, const IniDocument& definitions);

}  // namespace morvel::packaging
