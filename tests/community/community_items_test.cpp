// The community's entries in the catalogue: detected ones only, after the built-in items
// of a category the program has, new categories after every built-in one, a built-in key
// never taken over; and Winapp2.ini beside the program read at start, or its absence.

#include "engine/community/community_items.h"

#include <gtest/gtest.h>

#include "engine/community/reader.h"
#include "tests/community/community_fixture.h"

namespace morvel::community_test {
namespace {

using community::CommunityItems;

class CommunityCatalogue : public CommunityTest {
 protected:
  // The texts of the roots after the fixed ones, each with its leaves.
  static std::vector<std::string> Tree(const Catalogue& catalogue, std::size_t from) {
    std::vector<std::string> lines;
    for (std::size_t r = from; r < catalogue.roots().size(); ++r) {
      lines.push_back(catalogue.roots()[r].text);
      for (const CatalogueLeaf& leaf : catalogue.roots()[r].children)
        lines.push_back("  " + leaf.text);
    }
    return lines;
  }
};

TEST_F(CommunityCatalogue, DetectedEntriesJoinTheirCategories) {
  PutKey(kUser, Key("Installed"));
  const std::string there = "Detect=HKCU\\" + Key("Installed");
  const std::string absent = "Detect=HKCU\\" + Key("Absent");
  const community::Definitions read = community::ReadDefinitions(
      "[Zeta Tool *]\nSection=utilities\n" + there +
      "\n"
      "[Clipboard *]\nLangSecRef=3025\n" +  // "Windows - Clipboard" is the program's own
      there +
      "\n"
      "[clipboard history *]\nLangSecRef=3025\n" +
      there +
      "\n"
      "[Absent Tool *]\nLangSecRef=3024\n" +
      absent +
      "\n"
      "[Steam *]\nSection=Games\nWarning=Launch every game first.\n" +
      there +
      "\n"
      "[Mine *]\nSection=custom lists\n" +
      there +
      "\n"
      "[Always *]\nLangSecRef=3024\n"
      "[Alpha Tool *]\nLangSecRef=3024\n" +
      there + "\n");
  Catalogue catalogue = Catalogue::Fixed();
  const std::size_t fixed = catalogue.roots().size();
  const std::size_t windows_items = catalogue.roots()[1].children.size();
  const community::VariableValues values = Values();
  community::Detector detector(registry(), files(), values);
  const CommunityItems items(read, detector, catalogue);

  EXPECT_EQ(Tree(catalogue, fixed),
            (std::vector<std::string>{"Games", "  Steam", "utilities", "  Zeta Tool", "  Always",
                                      "  Alpha Tool"}));
  ASSERT_EQ(catalogue.roots()[1].text, "Windows");
  ASSERT_EQ(catalogue.roots()[1].children.size(), windows_items + 1);
  EXPECT_EQ(catalogue.roots()[1].children.back().text, "clipboard history");
  EXPECT_EQ(items.detected(), 7u);  // all but "Absent Tool"
  EXPECT_EQ(items.offered(), 5u);   // not "Clipboard", not the custom list's
  ASSERT_NE(items.Find("utilities - Always"), nullptr);
  EXPECT_EQ(items.Find("utilities - Always")->name, "Always");
  EXPECT_EQ(items.Find("Windows - Clipboard"), nullptr);
  EXPECT_EQ(items.Find("Custom Lists - Mine"), nullptr);
  const auto steam = catalogue.FindByKey("Games - Steam");
  ASSERT_TRUE(steam);
  EXPECT_EQ(catalogue.roots()[steam->root].children[*steam->leaf].warning,
            "Launch every game first.");
}

// The file beside the program: read when it is there, its absence changes nothing.
TEST_F(CommunityCatalogue, TheFileBesideTheProgramIsReadAtStart) {
  platform::Port port = Port();
  Catalogue without = Catalogue::Fixed();
  const auto none = community::LoadCommunityItems(port, without);
  EXPECT_EQ(none->offered(), 0u);
  EXPECT_TRUE(none->definitions().skipped.empty());
  EXPECT_EQ(without.roots().size(), Catalogue::Fixed().roots().size());

  WriteAt(Path("Winapp2.ini"), "[Everywhere *]\r\nLangSecRef=3024\r\nFileKey1=%Temp%|*.tmp\r\n");
  Catalogue with = Catalogue::Fixed();
  const auto read = community::LoadCommunityItems(port, with);
  EXPECT_EQ(read->offered(), 1u);
  EXPECT_TRUE(with.FindByKey("Utilities - Everywhere"));
}

}  // namespace
}  // namespace morvel::community_test
