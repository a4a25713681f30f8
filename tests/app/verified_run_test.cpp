// The controller after a run: the verify pass of every Clean, the summary it adds to the
// log, the report when one is asked for, and the event of an unattended run.
#include <gtest/gtest.h>

#include "tests/app/controller_rig.h"
#include "tests/unit/json_reader.h"

namespace morvel::testing {
namespace {

constexpr const char* kTemp = "Windows - Temporary Files";
constexpr const char* kRecent = "Windows - Recent Documents";

LeftEntry Held(std::string path) { return {std::move(path), LeftReason::InUse, 1, 10}; }

// Ends the active run with its items returning `items`.
void End(ControllerRig& r, std::vector<app::FinishedItem> items) {
  *r.Last().items = std::move(items);
  r.controller.OnRunEnded(0, r.Last().serial);
}

TEST(VerifiedRun, ACleanIsVerifiedAndItsLogEndsWithWhatIsLeft) {
  ControllerRig r;
  r.Tick(kTemp);
  r.Tick(kRecent);
  r.state.options.AskForSweep = false;
  r.controller.SetReportFile("C:\\r\\run.json");
  r.controller.OnCleanClick();
  EXPECT_FALSE(r.Last().flags.probe) << "the preparation pass only counts";
  End(r, {});
  r.controller.OnRemovalPass();
  r.view.log = {"Clean: Clearing ...", "Total items to be removed = 7 ; ..."};
  End(r, {{kTemp, {5, 50, {Held("C:\\t\\a.log")}}}, {kRecent, {2, 0, {}}}});
  ASSERT_EQ(r.runs.size(), 3u);
  // The verify pass finds the held file again and one Windows said it deleted.
  End(r, {{kTemp, {2, 20, {Held("C:\\t\\a.log"), Held("C:\\t\\b.log")}}}, {kRecent, {}}});
  EXPECT_EQ(r.view.log, (std::vector<std::string>{
                            "Clean: Clearing ...", "Total items to be removed = 7 ; ...",
                            "Verified: 2 left (in use: 2, access denied: 0, refused: 0, at "
                            "restart: 0).",
                            "C:\\t\\a.log (in use)", "C:\\t\\b.log (in use)"}));
  EXPECT_EQ(r.controller.outcome(), app::Outcome::Finished);
  ASSERT_EQ(r.controller.results().size(), 2u);
  EXPECT_EQ(r.controller.results()[0].removed_items, 5);

  const Json report = Json::Parse(r.files.files.at("C:\\r\\run.json"));
  EXPECT_EQ(report["mode"].text(), "clean");
  EXPECT_EQ(report["computer"].text(), "PC-01");
  EXPECT_EQ(report["totals"]["removed_items"].number(), 7);
  EXPECT_EQ(report["totals"]["left_items"].number(), 2);
  EXPECT_EQ(report["items"][1]["key"].text(), kRecent);
  EXPECT_TRUE(r.events.reported.empty()) << "a Clean from the window leaves no event";
}

TEST(VerifiedRun, ATestReportsWhatWouldGoAndAsksEveryEntryOnlyForAReport) {
  ControllerRig r;
  r.Tick(kTemp);
  r.controller.OnTestClick();
  EXPECT_FALSE(r.Last().flags.probe);
  End(r, {{kTemp, {3, 30, {}}}});
  EXPECT_TRUE(r.files.files.empty());

  r.controller.SetReportFile("C:\\r\\test.csv");
  r.controller.OnTestClick();
  EXPECT_TRUE(r.Last().flags.probe);
  EXPECT_FALSE(r.Last().flags.quiet);
  End(r, {{kTemp, {3, 30, {Held("C:\\t\\a.log")}}}});
  ASSERT_EQ(r.runs.size(), 2u) << "a Test is not verified";
  EXPECT_EQ(r.files.files.at("C:\\r\\test.csv"),
            "Key,Removed items,Removed bytes,Left items,First reason\r\n"
            "Windows - Temporary Files,2,20,1,in use\r\n");
  EXPECT_TRUE(r.view.log.empty()) << "a Test's log has no verified summary";
}

// An unattended run by each trigger: its report where settings.ini says, and its event.
struct UnattendedCase {
  const char* name;
  std::function<void(ControllerRig&)> start;
  const char* trigger;
};

class UnattendedRuns : public ::testing::TestWithParam<UnattendedCase> {};

TEST_P(UnattendedRuns, LeaveAReportAndAnEvent) {
  ControllerRig r;
  r.Tick(kTemp);
  r.state.options.AskForSweep = false;
  r.state.options.ShutdownWash = true;
  r.state.report_path = "C:\\Reports\\%COMPUTERNAME%.json";
  GetParam().start(r);
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.Last().mode, RunMode::Unattended);
  End(r, {{kTemp, {4, 40, {}}}});
  End(r, {{kTemp, {}}});
  EXPECT_EQ(r.view.log.back(), "Verified: nothing left.");
  ASSERT_TRUE(r.files.files.contains("C:\\Reports\\PC-01.json"));
  ASSERT_EQ(r.events.reported.size(), 1u);
  const platform::Event& event = r.events.reported[0];
  EXPECT_EQ(event.level, platform::EventLevel::Information);
  EXPECT_EQ(event.strings.front(), GetParam().trigger);
  EXPECT_EQ(event.strings.back(), "C:\\Reports\\PC-01.json");
}

INSTANTIATE_TEST_SUITE_P(
    VerifiedRun, UnattendedRuns,
    ::testing::Values(UnattendedCase{"Schedule",
                                     [](ControllerRig& r) { r.controller.OnUnattendedStart(); },
                                     "schedule"},
                      UnattendedCase{"CleanOnce",
                                     [](ControllerRig& r) {
                                       r.controller.OnActivate("-cleanonce");
                                       r.controller.Dispatch(app::AppMessage::UnattendedRun, 0, 0);
                                     },
                                     "-cleanonce"},
                      UnattendedCase{"AtStart",
                                     [](ControllerRig& r) {
                                       r.controller.OnActivate("-Start");
                                       r.controller.Dispatch(app::AppMessage::UnattendedRun, 0, 0);
                                     },
                                     "Windows start"},
                      UnattendedCase{"AtShutDown",
                                     [](ControllerRig& r) { r.controller.OnQueryEndSession(); },
                                     "Windows shut-down"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VerifiedRun, AnUnattendedRunThatLeavesSomethingOrStopsSaysSo) {
  ControllerRig r;
  r.Tick(kTemp);
  r.state.options.AskForSweep = false;
  r.state.report_path = "C:\\Reports\\run.txt";  // neither .json nor .csv
  r.controller.OnUnattendedStart();
  End(r, {{kTemp, {1, 1, {}}}});
  End(r, {{kTemp, {0, 0, {{"C:\\t", LeftReason::AccessDenied, 1, 0}}}}});
  EXPECT_EQ(r.controller.report_failure(), "C:\\Reports\\run.txt does not end in .json or .csv");
  EXPECT_EQ(r.view.log.back(),
            "The report was not written: C:\\Reports\\run.txt does not end in .json or .csv");
  ASSERT_EQ(r.events.reported.size(), 1u);
  EXPECT_EQ(r.events.reported[0].level, platform::EventLevel::Warning);
  EXPECT_EQ(r.events.reported[0].strings[3], "1");
  EXPECT_EQ(r.events.reported[0].strings.back(),
            "not written (C:\\Reports\\run.txt does not end in .json or .csv)");

  // Stopped by an error in the verify pass, then cancelled in the Clean: an error event each.
  r.state.report_path.clear();
  r.controller.OnUnattendedStart();
  End(r, {});
  r.controller.Dispatch(app::AppMessage::RunFailed, 0, r.Last().serial);
  r.controller.OnUnattendedStart();
  r.controller.OnTestClick();  // Cancel
  ASSERT_EQ(r.events.reported.size(), 3u);
  EXPECT_EQ(r.events.reported[1].level, platform::EventLevel::Error);
  EXPECT_EQ(r.events.reported[1].strings, (std::vector<std::string>{"schedule", "disk gone"}));
  EXPECT_EQ(r.events.reported[2].strings, (std::vector<std::string>{"schedule", "cancelled"}));
}

}  // namespace
}  // namespace morvel::testing
