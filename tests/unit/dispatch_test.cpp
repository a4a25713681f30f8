#include "engine/dispatch.h"

#include <gtest/gtest.h>

#include "engine/catalogue.h"
#include "engine/cleaner_table.h"

namespace morvel {
namespace {

TEST(Dispatch, EveryFixedLeafRoutesToItsRow) {
  // Items cleaned through the shipped definition file by design; every other fixed leaf
  // has actions of its own, and no two are the same.
  const std::vector<std::string> by_definitions = {
      "Windows - Windows Log Files",    "Advanced - Google Toolbar History",
      "Advanced - MSN Toolbar History", "Advanced - Yahoo! Toolbar History",
      "Instant Messengers - ICQ",       "Instant Messengers - AOL Instant Messenger"};
  const Catalogue c = Catalogue::Fixed();
  std::vector<const Actions*> built;
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
        EXPECT_EQ(route.service, Service::OwnActions) << key;
        ++own;
        ASSERT_NE(route.actions, nullptr) << key;
        EXPECT_FALSE(route.actions->empty()) << key;
        EXPECT_TRUE(std::none_of(built.begin(), built.end(),
                                 [&](const Actions* other) { return *other == *route.actions; }))
            << key << " has another item's actions";
        built.push_back(route.actions);
        EXPECT_TRUE(CleanerFor(route, key)) << key;
      }
    }
  }
  EXPECT_EQ(own, 51);
}

// A key is read once into its category and item; both compare exactly. The custom list's
// category goes to Clist.dat, whatever item; a key that merely mentions it does not.
TEST(Dispatch, KeysAreReadIntoCategoryAndItem) {
  const Route recent = DispatchKey("Windows - Recent Documents");
  EXPECT_EQ(recent.service, Service::OwnActions);
  EXPECT_NE(recent.actions, nullptr);
  const std::pair<const char*, Service> cases[] = {
      {"Custom Lists - <New List>", Service::CustomList},
      {"Custom Lists - Another", Service::CustomList},
      {"My Custom Lists - x", Service::Definitions},
      {"Applications - Custom Lists - x", Service::Definitions},
      {"windows - recent documents", Service::Definitions},
      {"Windows - Recent Documents ", Service::Definitions},
      {"Windows -  Recent Documents", Service::Definitions},
      {"Applications - ICQ", Service::Definitions},
      {"Mozilla Firefox - Download Manager", Service::OwnActions},
  };
  for (auto [key, service] : cases) EXPECT_EQ(DispatchKey(key).service, service) << key;
  const ParsedKey parsed = ParseItemKey("Applications - Foo - Bar");
  EXPECT_EQ(parsed.category, "Applications");
  EXPECT_EQ(parsed.item, "Foo - Bar");
  EXPECT_EQ(ParseItemKey("NoDash").category, "NoDash");
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
