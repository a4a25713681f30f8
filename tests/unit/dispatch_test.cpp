#include "engine/dispatch.h"

#include <gtest/gtest.h>

#include "engine/catalogue.h"

namespace morvel {
namespace {

TEST(Dispatch, EveryFixedLeafHasItsRow) {
  // Items cleaned through the shipped definition file by design; every other fixed leaf
  // must have a cleaner of its own.
  const std::vector<std::string> by_definitions = {
      "Windows - Windows Log Files",    "Advanced - Google Toolbar History",
      "Advanced - MSN Toolbar History", "Advanced - Yahoo! Toolbar History",
      "Instant Messengers - ICQ",       "Instant Messengers - AOL Instant Messenger"};
  const Catalogue c = Catalogue::Fixed();
  std::vector<CleanerId> seen;
  for (const CatalogueRoot& root : c.roots()) {
    for (const CatalogueLeaf& leaf : root.children) {
      const std::string key = ItemKey(root.text, leaf.text);
      const CleanerId id = DispatchKey(key);
      if (root.text == "Custom Lists") {
        EXPECT_EQ(id, CleanerId::CustomList);
      } else if (std::find(by_definitions.begin(), by_definitions.end(), key) !=
                 by_definitions.end()) {
        EXPECT_EQ(id, CleanerId::DefinitionFile) << key;
      } else {
        EXPECT_NE(id, CleanerId::DefinitionFile) << key;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), id), 0) << key << " shares a cleaner";
        seen.push_back(id);
      }
    }
  }
  EXPECT_EQ(seen.size(), 51u);
}

TEST(Dispatch, RowsAreExactExceptCustomLists) {
  EXPECT_EQ(DispatchKey("Custom Lists - <New List>"), CleanerId::CustomList);
  EXPECT_EQ(DispatchKey("My Custom Lists - x"), CleanerId::CustomList);  // containment
  EXPECT_EQ(DispatchKey("Windows - Recent Documents"), CleanerId::RecentDocuments);
  EXPECT_EQ(DispatchKey("windows - recent documents"), CleanerId::DefinitionFile);
  EXPECT_EQ(DispatchKey("Windows - Recent Documents "), CleanerId::DefinitionFile);
  EXPECT_EQ(DispatchKey("Applications - ICQ"), CleanerId::DefinitionFile);
  EXPECT_EQ(DispatchKey("Mozilla Firefox - Download Manager"), CleanerId::FirefoxDownloadManager);
}

TEST(Dispatch, SectionNameIsTheTextAfterTheFirstDashAndBlank) {
  const std::pair<const char*, const char*> cases[] = {
      {"Windows - Windows Log Files", "Windows Log Files"},
      {"Custom Lists - <New List>", "<New List>"},
      {"Applications - Foo - Bar", "Foo - Bar"},
      {"Applications - 7-Zip", "7-Zip"},
      {"Instant Messengers - ICQ", "ICQ"},
      {"NoDash", ""},
      {"Trailing -", ""},
  };
  for (auto [key, section] : cases) EXPECT_EQ(DefinitionSectionName(key), section) << key;
}

}  // namespace
}  // namespace morvel
