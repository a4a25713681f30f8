#include "engine/catalogue.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { c.SetAll(kUnticked); }
  NodeRef Node(std::string_view key) { return c.FindByKey(key).value(); }
  void ClickBox(std::string_view key) { c.OnMouseDown(Node(key), HitArea::StateImage); }
  int State(std::string_view key) { return c.StateOf(Node(key)); }
  Catalogue c = Catalogue::Fixed();
};

TEST_F(CatalogueTest, FixedTreeOrderSlotsAndKeys) {
  std::vector<std::string> roots;
  std::vector<int> slots;
  for (const CatalogueRoot& r : c.roots()) {
    roots.push_back(r.text);
    slots.push_back(r.image_index);
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"Internet Explorer", "Windows", "Netscape", "Opera",
                                             "Mozilla Firefox", "Google Chrome", "Advanced",
                                             "Microsoft Office", "Instant Messengers",
                                             "Applications", "Custom Lists"}));
  EXPECT_EQ(slots, (std::vector<int>{1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10}));
  EXPECT_EQ(c.roots()[1].children.size(), 9u);
  EXPECT_TRUE(c.FindByKey("Mozilla Firefox - Download Manager"));
  EXPECT_TRUE(c.FindByKey("Custom Lists - <New List>"));
  EXPECT_FALSE(c.FindByKey("windows - recent documents"));  // keys compare with case
}

TEST_F(CatalogueTest, TickRules) {
  ClickBox("Windows");
  EXPECT_EQ(c.CollectTickedKeys().size(), 9u);
  ClickBox("Windows - Start Run");
  EXPECT_EQ(State("Windows"), kTicked);  // other leaves still ticked
  for (const CatalogueLeaf& leaf : c.roots()[1].children)
    if (leaf.state_index == kTicked) ClickBox(ItemKey("Windows", leaf.text));
  EXPECT_EQ(State("Windows"), kUnticked);  // the last one unticks the root
  ClickBox("Opera - Cookies");
  EXPECT_EQ(State("Opera"), kTicked);
  EXPECT_EQ(c.CollectTickedKeys(), (std::vector<std::string>{"Opera - Cookies"}));
}

TEST_F(CatalogueTest, NewListLabelOpensTheEditorAndBoxOnlyToggles) {
  EXPECT_TRUE(c.OnMouseDown(Node("Custom Lists - <New List>"), HitArea::Label));
  EXPECT_EQ(State("Custom Lists - <New List>"), kUnticked);
  EXPECT_FALSE(c.OnMouseDown(Node("Custom Lists - <New List>"), HitArea::StateImage));
  EXPECT_EQ(State("Custom Lists - <New List>"), kTicked);
  EXPECT_FALSE(c.OnMouseDown(Node("Windows - Clipboard"), HitArea::Label));
  EXPECT_FALSE(c.OnMouseDown(Node("Windows - Clipboard"), HitArea::Elsewhere));
  EXPECT_EQ(State("Windows - Clipboard"), kUnticked);
}

TEST_F(CatalogueTest, ChildlessRootTogglesAloneAndGivesNoKey) {
  ClickBox("Applications");
  EXPECT_EQ(State("Applications"), kTicked);
  EXPECT_TRUE(c.CollectTickedKeys().empty());
}

TEST_F(CatalogueTest, DesignStateIsNotToggled) {
  Catalogue fresh = Catalogue::Fixed();  // state -1 everywhere
  fresh.OnMouseDown(*fresh.FindByKey("Windows - Clipboard"), HitArea::StateImage);
  EXPECT_EQ(fresh.StateOf(*fresh.FindByKey("Windows - Clipboard")), -1);
}

TEST_F(CatalogueTest, StoredRootKeyTicksTheRootAlone) {
  EXPECT_TRUE(c.TickByKey("Windows"));
  EXPECT_EQ(State("Windows"), kTicked);
  EXPECT_TRUE(c.CollectTickedKeys().empty());
  EXPECT_FALSE(c.TickByKey("Windows - Nonexistent"));
  EXPECT_FALSE(c.TickByKey(""));
}

TEST_F(CatalogueTest, WalkNodesFromAStartNode) {
  ClickBox("Internet Explorer - Cookies");
  ClickBox("Windows - Start Run");
  ClickBox("Windows - Clipboard");
  std::vector<std::string> keys;
  c.WalkNodes(Node("Windows"), Catalogue::WalkAction::Collect, "", &keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"Windows - Start Run", "Windows - Clipboard"}));
  keys.clear();
  c.WalkNodes(Node("Windows - Search Assistant"), Catalogue::WalkAction::Collect, "", &keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"Windows - Clipboard"}));
  c.WalkNodes(Node("Windows"), Catalogue::WalkAction::TickByKey,
              "Internet Explorer - Recently Typed URLs");
  EXPECT_EQ(State("Internet Explorer - Recently Typed URLs"), kUnticked);  // before the start
  c.WalkNodes(Node("Internet Explorer"), Catalogue::WalkAction::TickByKey, "Opera");
  EXPECT_EQ(State("Opera"), kTicked);
  EXPECT_EQ(State("Opera - Cookies"), kUnticked);
}

TEST_F(CatalogueTest, FirefoxTickedFollowsTheRoot) {
  EXPECT_FALSE(c.IsFirefoxTicked());
  ClickBox("Mozilla Firefox - Cookies");
  EXPECT_TRUE(c.IsFirefoxTicked());
}

TEST_F(CatalogueTest, FillApplicationsMatchesEitherWayOnceInOrderOfFirstMatch) {
  c.FillApplications({"ICQ", "7-Zip", "Adobe Reader", "Media Player Classic - Home Cinema", "Foo"},
                     {"", "7-zip 19.00 (x64)", "Adobe Reader", "7-Zip Helper", "ICQ 8",
                      "Media Player Classic", "Unrelated"});
  std::vector<std::string> apps;
  for (const CatalogueLeaf& leaf : c.roots()[9].children) apps.push_back(leaf.text);
  // "Media Player Classic" lies inside the section name: that matches too.
  EXPECT_EQ(apps, (std::vector<std::string>{"7-Zip", "Adobe Reader", "ICQ",
                                            "Media Player Classic - Home Cinema"}));
  EXPECT_TRUE(c.FindByKey("Applications - 7-Zip"));
}

TEST_F(CatalogueTest, FillApplicationsWithoutDefinitionsOrProgramsLeavesItEmpty) {
  c.FillApplications({}, {"7-Zip"});
  c.FillApplications({"7-Zip"}, {});
  EXPECT_TRUE(c.roots()[9].children.empty());
}

TEST_F(CatalogueTest, RootExpansionBySlot) {
  std::array<bool, kRootSlots> slots{};
  slots[10] = true;  // slot 11: Google Chrome, sixth in the tree
  c.StoreRootExpansion(false, slots);
  for (const CatalogueRoot& r : c.roots()) EXPECT_EQ(r.expanded, r.text == "Google Chrome");
  c.roots()[0].expanded = true;
  std::array<bool, kRootSlots> saved{};
  c.StoreRootExpansion(true, saved);
  EXPECT_TRUE(saved[0]);
  EXPECT_TRUE(saved[10]);
  EXPECT_FALSE(saved[1]);
}

}  // namespace
}  // namespace morvel
