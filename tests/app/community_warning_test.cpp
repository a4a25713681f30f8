// A community item's warning: asked when the item is ticked, by its own box or its
// category's, and before a Clean of items the command line names; the tick and the item
// stay only on Yes.

#include <gtest/gtest.h>

#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

constexpr const char* kSteamWarning = "Launch every game once before cleaning.";
constexpr const char* kUplayWarning = "Launch every UPlay game once.";

struct WarnedRig : ControllerRig {
  WarnedRig() {
    state.catalogue.AddLeaf("Games", "Steam", kSteamWarning);
    state.catalogue.AddLeaf("Games", "Chess");
    state.catalogue.AddLeaf("Games", "Uplay", kUplayWarning);
    state.catalogue.SetAll(kUnticked);
  }
  NodeRef Node(const std::string& key) { return *state.catalogue.FindByKey(key); }
  int StateOf(const std::string& key) { return state.catalogue.StateOf(Node(key)); }
};

TEST(CommunityWarning, TickingAWarnedItemAsksAndKeepsTheTickOnlyOnYes) {
  for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
    WarnedRig r;
    r.rig.answer = answer;
    r.controller.OnTreeMouseDown(r.Node("Games - Steam"), HitArea::StateImage);
    EXPECT_EQ(r.rig.questions, std::vector<std::string>{kSteamWarning});
    const int expected = answer == platform::Answer::Yes ? kTicked : kUnticked;
    EXPECT_EQ(r.StateOf("Games - Steam"), expected);
    EXPECT_EQ(r.StateOf("Games"), expected);
    // Unticking asks nothing; an item without a warning is ticked unasked.
    r.controller.OnTreeMouseDown(r.Node("Games - Chess"), HitArea::StateImage);
    r.controller.OnTreeMouseDown(r.Node("Games - Chess"), HitArea::StateImage);
    EXPECT_EQ(r.rig.questions.size(), 1u);
  }
  // The category's box asks each warned item, in tree order; those answered No stay unticked.
  WarnedRig r;
  r.rig.answer = platform::Answer::No;
  r.controller.OnTreeMouseDown(r.Node("Games"), HitArea::StateImage);
  EXPECT_EQ(r.rig.questions, (std::vector<std::string>{kSteamWarning, kUplayWarning}));
  EXPECT_EQ(r.StateOf("Games - Steam"), kUnticked);
  EXPECT_EQ(r.StateOf("Games - Chess"), kTicked);
  EXPECT_EQ(r.StateOf("Games - Uplay"), kUnticked);
  EXPECT_EQ(r.StateOf("Games"), kTicked);
}

TEST(CommunityWarning, ACleanOfNamedItemsAsksTheirWarningsFirst) {
  WarnedRig r;
  r.rig.answer = platform::Answer::No;
  r.controller.SetExplicitKeys({"Games - Steam", "Games - Chess"});
  r.controller.OnTestClick();  // a Test asks nothing: its log tells the warning
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.Last().keys, (std::vector<std::string>{"Games - Steam", "Games - Chess"}));
  EXPECT_TRUE(r.rig.questions.empty());
  r.controller.OnRunEnded(0, r.Last().serial);

  r.controller.OnCleanClick();
  EXPECT_EQ(r.rig.questions, std::vector<std::string>{kSteamWarning});
  ASSERT_EQ(r.runs.size(), 2u);
  EXPECT_EQ(r.Last().keys, std::vector<std::string>{"Games - Chess"});
  // The removal pass cleans what the preparation counted, and asks nothing again.
  r.controller.OnRunEnded(3, r.Last().serial);
  r.controller.OnRemovalPass();
  ASSERT_EQ(r.runs.size(), 3u);
  EXPECT_EQ(r.Last().keys, std::vector<std::string>{"Games - Chess"});
  EXPECT_EQ(r.rig.questions.size(), 1u);
}

}  // namespace
}  // namespace morvel::testing
