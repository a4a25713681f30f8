// What a policy sets stays as it is set, whatever the window's controls are told.
#include <gtest/gtest.h>

#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

constexpr const char* kClipboard = "Windows - Clipboard";
constexpr const char* kTemp = "Windows - Temporary Files";
constexpr const char* kRecent = "Windows - Recent Documents";

struct PolicyRig : ControllerRig {
  PolicyRig() {
    state.catalogue.SetAll(kUnticked);  // as settings.ini leaves it
    state.policy.ticked = {kClipboard};
    state.policy.blocked = {kTemp};
    state.policy.settings[static_cast<std::size_t>(app::PolicySetting::FastScan)] = 1;
    app::ApplyPolicy(state.policy, state.options, state.catalogue);
  }
  NodeRef Node(const char* key) const { return *state.catalogue.FindByKey(key); }
  bool Ticked(const char* key) const { return state.catalogue.StateOf(Node(key)) == kTicked; }
};

TEST(PolicyClicks, HeldBoxesStayAndTheRootLeavesThemAlone) {
  PolicyRig r;
  EXPECT_TRUE(r.Ticked(kClipboard));
  EXPECT_TRUE(r.Ticked("Windows"));
  r.controller.OnTreeMouseDown(r.Node(kClipboard), HitArea::StateImage);
  r.controller.OnTreeMouseDown(r.Node(kTemp), HitArea::StateImage);
  EXPECT_TRUE(r.Ticked(kClipboard));
  EXPECT_FALSE(r.Ticked(kTemp));
  r.controller.OnTreeMouseDown(r.Node(kRecent), HitArea::StateImage);
  EXPECT_TRUE(r.Ticked(kRecent)) << "a free item ticks as ever";
  // The root's box: off for every free item, the held ones as they are set.
  r.controller.OnTreeMouseDown(r.Node("Windows"), HitArea::StateImage);
  EXPECT_FALSE(r.Ticked(kRecent));
  EXPECT_TRUE(r.Ticked(kClipboard));
  EXPECT_FALSE(r.Ticked(kTemp));
  EXPECT_TRUE(r.Ticked("Windows")) << "an item of it is ticked";
}

TEST(PolicyClicks, FastModeHeldAndBlockedItemsNeverRun) {
  PolicyRig r;
  EXPECT_TRUE(r.state.options.FastScan);
  r.controller.OnFastModeClick(false);
  EXPECT_TRUE(r.state.options.FastScan);
  EXPECT_TRUE(r.view.Saw("fast box on")) << "the box shows the policy's value again";

  r.controller.SetExplicitKeys({kTemp, kRecent});
  r.controller.OnTestClick();
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.Last().keys, std::vector<std::string>{kRecent});

  // The Settings dialog is told which of its controls the policy sets.
  bool held = false;
  r.view.settings = [&](app::OptionsDialog& dialog) {
    held = dialog.held().fast_scan && !dialog.held().auto_wash;
  };
  r.controller.OnSettings();
  EXPECT_TRUE(held);
}

}  // namespace
}  // namespace morvel::testing
