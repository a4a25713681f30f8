#include "engine/dispatch.h"

#include <gtest/gtest.h>

#include "engine/catalogue.h"
#include "engine/cleaner_table.h"

namespace morvel {
namespace {

TEST(Dispatch, EveryFixedLeafRoutesToItsRow) {
  // Items cleaned through the shipped definition file by design; every other fixed leaf
  // has a cleaner of its own, and no two share one.
  const std::vector<std::string> by_definitions = {
      "Windows - Windows Log Files",    "Advanced - Google Toolbar History",
      "Advanced - MSN Toolbar History", "Advanced - Yahoo! Toolbar History",
      "Instant Messengers - ICQ",       "Instant Messengers - AOL Instant Messenger"};
  const Catalogue c = Catalogue::Fixed();
  std::vector<ItemCleaner> built;
  int own = 0;
  for (const CatalogueRoot& root : c.roots()) {
    for (const CatalogueLeaf& leaf : root.children) {
      const std::string key = ItemKey(root.text, leaf.text);
      const Route route = DispatchKey(key);
      if (root.text == "Custom Lists") {
        EXPECT_EQ(route.service, Service::CustomList);
      } else if (std::find(by_definitions.begin(), by_definitions.end(), key) !=
                 by_definitions.end()) {
        EXPECT_EQ(route.service, Service::Definitions) << key;
      } else {
        EXPECT_EQ(route.service, Service::OwnCleaner) << key;
        ++own;
        if (route.clean == nullptr) continue;
        EXPECT_EQ(std::count(built.begin(), built.end(), route.clean), 0)
            << key << " shares a cleaner";
        built.push_back(route.clean);
        EXPECT_TRUE(CleanerFor(route)) << key;
      }
    }
  }
  EXPECT_EQ(own, 51);
}

TEST(Dispatch, RowsAreExactExceptCustomLists) {
  const Route recent = DispatchKey("Windows - Recent Documents");
  EXPECT_EQ(recent.service, Service::OwnCleaner);
  EXPECT_NE(recent.clean, nullptr);
  const std::pair<const char*, Service> cases[] = {
      {"Custom Lists - <New List>", Service::CustomList},
      {"My Custom Lists - x", Service::CustomList},  // containment
      {"windows - recent documents", Service::Definitions},
      {"Windows - Recent Documents ", Service::Definitions},
      {"Windows -  Recent Documents", Service::Definitions},
      {"Applications - ICQ", Service::Definitions},
      {"Mozilla Firefox - Download Manager", Service::OwnCleaner},
  };
  for (auto [key, service] : cases) EXPECT_EQ(DispatchKey(key).service, service) << key;
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
