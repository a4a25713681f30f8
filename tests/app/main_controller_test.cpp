#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

using app::AppMessage;
using app::Outcome;
constexpr const char* kRecent = "Windows - Recent Documents";
constexpr const char* kCookies = "Mozilla Firefox - Cookies";

enum class Press { Test, Clean, Unattended, CleanOnce };

void Do(ControllerRig& r, Press p) {
  switch (p) {
    case Press::Test:
      r.controller.OnTestClick();
      break;
    case Press::Clean:
      r.controller.OnCleanClick();
      break;
    case Press::Unattended:
      r.controller.OnUnattendedStart();
      break;
    case Press::CleanOnce:
      r.controller.OnActivate("-CleanOnce");
      r.controller.OnUnattendedStart();
      break;
  }
}

// One start request in one situation: whether it runs, in what mode, and what it says.
struct StartCase {
  const char* name;
  Press press;
  std::vector<std::string> ticks;
  bool ask_for_sweep = false;
  bool answer_yes = true;
  bool firefox_open = false;
  std::optional<RunMode> runs;  // nullopt: nothing starts
  const char* message = nullptr;
  int asked = 0;
};

class StartRequests : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartRequests, RunOrRefuse) {
  const StartCase& c = GetParam();
  ControllerRig r;
  for (const auto& k : c.ticks) r.Tick(k);
  r.state.options.AskForSweep = c.ask_for_sweep;
  r.view.answer_yes = c.answer_yes;
  if (c.firefox_open) r.rig.windows.insert("MozillaWindowClass");
  Do(r, c.press);
  ASSERT_EQ(r.runs.size(), c.runs ? 1u : 0u);
  if (c.runs) {
    EXPECT_EQ(r.Last().mode, *c.runs);
    EXPECT_EQ(r.view.test_caption, "Cancel");
    EXPECT_TRUE(r.controller.busy());
  } else {
    EXPECT_FALSE(r.controller.busy());
    EXPECT_EQ(r.view.test_caption, "Test");
  }
  EXPECT_EQ(r.view.Saw(std::string("message ") + (c.message ? c.message : "")),
            c.message != nullptr);
  EXPECT_EQ(r.view.asked, c.asked);
}

const std::string kEmpty(app::kEmptySelection), kFirefox(app::kCloseFirefox);

INSTANTIATE_TEST_SUITE_P(
    Controller, StartRequests,
    ::testing::Values(
        StartCase{"TestOfNothing", Press::Test, {}, false, true, false, {}, kEmpty.c_str()},
        StartCase{"UnattendedOfNothingIsSilent", Press::Unattended, {}, false, true, false, {}},
        StartCase{"TestRuns", Press::Test, {kRecent}, true, true, false, RunMode::Test},
        StartCase{"TestWithFirefoxOpenRuns",
                  Press::Test,
                  {"Mozilla Firefox", kCookies},
                  true,
                  true,
                  true,
                  RunMode::Test},
        StartCase{"CleanWithFirefoxOpenRefuses",
                  Press::Clean,
                  {"Mozilla Firefox", kCookies},
                  true,
                  true,
                  true,
                  {},
                  kFirefox.c_str()},
        StartCase{"UnattendedWithFirefoxOpenRefuses",
                  Press::Unattended,
                  {"Mozilla Firefox", kCookies},
                  false,
                  true,
                  true,
                  {},
                  kFirefox.c_str()},
        StartCase{"CleanWithFirefoxClosedAsks",
                  Press::Clean,
                  {"Mozilla Firefox", kCookies},
                  true,
                  true,
                  false,
                  RunMode::Test,
                  nullptr,
                  1},
        StartCase{"CleanDeclined", Press::Clean, {kRecent}, true, false, false, {}, nullptr, 1},
        StartCase{
            "CleanWithoutQuestion", Press::Clean, {kRecent}, false, true, false, RunMode::Test},
        StartCase{"UnattendedStillAsks",
                  Press::Unattended,
                  {kRecent},
                  true,
                  true,
                  false,
                  RunMode::Unattended,
                  nullptr,
                  1},
        StartCase{"CleanOnceNeverAsks",
                  Press::CleanOnce,
                  {kRecent},
                  true,
                  false,
                  false,
                  RunMode::Unattended}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Controller, TwoPassCleanAsksOnceHidesThePreparationAndShowsPercent) {
  ControllerRig r;
  r.Tick(kRecent);
  r.state.options.FastScan = false;
  r.state.options.AskForSweep = true;
  r.controller.OnCleanClick();
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.Last().mode, RunMode::Test);
  EXPECT_TRUE(r.view.log_hidden);
  // The preparation pass is started fast; the user's Fast Mode stays the user's.
  EXPECT_TRUE(r.Last().flags.fast);
  EXPECT_FALSE(r.state.options.FastScan);
  EXPECT_FALSE(r.view.timer1);
  EXPECT_EQ(r.controller.progress_caption(), "Prepare to clean...");
  EXPECT_EQ(r.view.total_title, "Total items will be removed: ");

  r.controller.OnProgress(7, r.Last().serial);  // a Test pass moves no bar
  EXPECT_EQ(r.controller.progress_caption(), "Prepare to clean...");
  r.controller.OnRunEnded(200, r.Last().serial);
  EXPECT_TRUE(r.view.Saw("post 13329"));
  EXPECT_EQ(r.controller.expected_total(), 200);
  EXPECT_TRUE(r.controller.busy());
  r.controller.OnTestClick();  // still shows Cancel: this would cancel, so do not
  r.controller.OnRemovalPass();
  EXPECT_EQ(r.runs.size(), 1u) << "cancelled before the removal pass";

  // Again, uninterrupted.
  r.controller.OnCleanClick();
  r.controller.OnRunEnded(200, r.Last().serial);
  r.controller.OnRemovalPass();
  ASSERT_EQ(r.runs.size(), 3u);
  EXPECT_EQ(r.view.asked, 2) << "one question per Clean";
  EXPECT_EQ(r.Last().mode, RunMode::Clean);
  EXPECT_FALSE(r.Last().flags.fast);
  EXPECT_FALSE(r.view.log_hidden);
  EXPECT_FALSE(r.state.options.FastScan);
  EXPECT_EQ(r.view.total_title, "Total items to be removed: ");
  r.controller.OnProgress(50, r.Last().serial);
  EXPECT_EQ(r.controller.progress_position(), 250);
  EXPECT_EQ(r.controller.progress_caption(), "25%");
  EXPECT_EQ(r.view.number, "50");
  r.controller.OnProgress(260, r.Last().serial);
  EXPECT_EQ(r.controller.progress_position(), 1000);
  r.controller.OnRunEnded(200, r.Last().serial);
  EXPECT_EQ(r.controller.progress_caption(), "Finished!");
  EXPECT_FALSE(r.controller.busy());
  EXPECT_EQ(r.view.test_caption, "Test");
  EXPECT_EQ(r.controller.outcome(), Outcome::Finished);
}

// Settings opened while the preparation pass runs show the user's own Fast Mode, and OK
// keeps what the user chose there, through the removal pass and into settings.ini.
TEST(Controller, SettingsDuringThePreparationPassAreTheUsers) {
  ControllerRig r;
  r.Tick(kRecent);
  r.state.options.FastScan = false;
  r.controller.OnCleanClick();
  ASSERT_TRUE(r.Last().flags.fast);
  r.view.settings = [&](app::OptionsDialog& dialog) {
    app::OptionsForm form = dialog.initial();
    EXPECT_FALSE(form.fast_scan) << "the dialog shows the user's Fast Mode";
    form.fast_scan = true;
    EXPECT_TRUE(dialog.OnOk(form, r.hot_keys));
  };
  r.controller.OnSettings();
  EXPECT_TRUE(r.state.options.FastScan);
  EXPECT_TRUE(r.view.Saw("save settings"));
  r.controller.OnRunEnded(3, r.Last().serial);
  r.controller.OnRemovalPass();
  EXPECT_EQ(r.Last().mode, RunMode::Clean);
  EXPECT_FALSE(r.Last().flags.fast);
  EXPECT_TRUE(r.state.options.FastScan) << "the end of the preparation restored nothing over it";
  r.controller.OnRunEnded(3, r.Last().serial);
  EXPECT_TRUE(r.state.options.FastScan);
}

TEST(Controller, CancelledPreparationRestoresAndIgnoresLateMessages) {
  ControllerRig r;
  r.Tick(kRecent);
  r.state.options.FastScan = false;
  r.controller.OnCleanClick();
  const std::uint32_t first = r.Last().serial;
  r.controller.OnTestClick();  // Cancel
  EXPECT_TRUE(*r.Last().terminated);
  EXPECT_FALSE(r.controller.busy());
  EXPECT_FALSE(r.view.log_hidden);
  EXPECT_FALSE(r.state.options.FastScan);
  // The end message of the cancelled pass was already queued: no removal pass follows.
  r.controller.OnRunEnded(5, first);
  r.controller.OnRemovalPass();
  EXPECT_EQ(r.runs.size(), 1u);
  r.controller.OnTestClick();
  ASSERT_EQ(r.runs.size(), 2u);
  r.controller.OnRunEnded(5, first);
  EXPECT_TRUE(r.controller.busy()) << "an old run's end does not end the new one";
}

TEST(Controller, BusyIgnoresEveryOtherStartRequest) {
  ControllerRig r;
  r.Tick(kRecent);
  r.controller.OnTestClick();
  r.controller.OnCleanClick();
  r.controller.OnUnattendedStart();
  EXPECT_TRUE(r.controller.OnQueryEndSession());
  EXPECT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.controller.mode(), RunMode::Test);
  EXPECT_TRUE(r.view.timer1);
}

TEST(Controller, EscapedErrorEndsIdleWithTheErrorInTheLog) {
  ControllerRig r;
  r.Tick(kRecent);
  r.controller.OnCleanClick();
  r.controller.Dispatch(AppMessage::RunFailed, 0, r.Last().serial);
  EXPECT_FALSE(r.controller.busy());
  EXPECT_EQ(r.view.test_caption, "Test");
  EXPECT_FALSE(r.view.log_hidden);
  EXPECT_TRUE(r.state.options.FastScan);
  ASSERT_FALSE(r.view.log.empty());
  EXPECT_EQ(r.view.log.back(), "The run stopped: disk gone");
  EXPECT_EQ(r.controller.outcome(), Outcome::Failed);
  // The next Clean prepares again.
  r.controller.OnCleanClick();
  EXPECT_TRUE(r.Last().flags.fast);
}

TEST(Controller, ProgressTimerCyclesAndUnattendedShowsNoPercent) {
  ControllerRig r;
  r.Tick(kRecent);
  r.controller.OnTestClick();
  for (int i = 0; i < 19; ++i) r.controller.OnProgressTimer();
  EXPECT_EQ(r.controller.progress_position(), 950);
  r.controller.OnProgressTimer();
  EXPECT_EQ(r.controller.progress_position(), 0);
  EXPECT_FALSE(r.view.caption_shown);
  r.controller.OnRunEnded(3, r.Last().serial);
  EXPECT_FALSE(r.view.timer1);

  r.controller.OnUnattendedStart();
  r.controller.OnProgress(40, r.Last().serial);
  EXPECT_EQ(r.controller.progress_position(), 0);
  EXPECT_EQ(r.view.number, "40");
}

// Activation with the first command-line argument and the schedule settings.
struct ActivationCase {
  const char* argument;
  bool start_wash;
  bool auto_wash;
  int interval;
  std::vector<std::string> expected;  // events in order, after the geometry
};

class Activation : public ::testing::TestWithParam<ActivationCase> {};

TEST_P(Activation, PostsAndArms) {
  const ActivationCase& c = GetParam();
  ControllerRig r;
  r.state.options.StartWash = c.start_wash;
  r.state.options.AutoWash = c.auto_wash;
  r.state.options.WashInterval = c.interval;
  r.controller.OnActivate(c.argument);
  ASSERT_FALSE(r.view.events.empty());
  EXPECT_EQ(r.view.events.front(), "geometry 0 0,0 704x507");
  const std::vector<std::string> rest(r.view.events.begin() + 1, r.view.events.end());
  EXPECT_EQ(rest, c.expected);
  EXPECT_EQ(r.controller.close_after_run(),
            app::ParseStartSwitch(c.argument) == app::StartSwitch::CleanOnce);
}

INSTANTIATE_TEST_SUITE_P(
    Controller, Activation,
    ::testing::Values(
        ActivationCase{"", false, true, 2, {"schedule 1 3600000"}},
        ActivationCase{"", false, false, 9, {"schedule 0 900000"}},
        ActivationCase{
            "-Start", true, false, 0, {"post minimize", "post 13319", "schedule 0 900000"}},
        ActivationCase{"-Start", false, true, 4, {"post minimize", "schedule 1 28800000"}},
        ActivationCase{"-start", true, false, 0, {"schedule 0 900000"}},
        ActivationCase{"-CLEANONCE", true, true, 1, {"post 13319"}}));

TEST(Controller, CreationTrayAndFastModeAndBossKey) {
  ControllerRig r;
  r.state.options.EnableHotkey = true;
  r.state.options.Hotkey = {true, false, true, "F5", 116};
  r.controller.OnCreate("-Start");
  EXPECT_EQ(r.view.events, (std::vector<std::string>{"tray add", "fast box on"}));
  EXPECT_TRUE(r.hot_keys.registered);
  EXPECT_EQ(r.hot_keys.modifiers, 3u);
  EXPECT_EQ(r.hot_keys.key, 116);
}

TEST(Controller, TrayMinimizeRestoreAndMenu) {
  ControllerRig r;
  r.controller.OnSysMinimize(true);  // the "-Start" minimize: its icon exists already
  EXPECT_FALSE(r.view.Saw("tray add"));
  r.controller.OnTrayCallback(512);  // mouse move: nothing
  r.controller.OnTrayCallback(516);
  EXPECT_TRUE(r.view.Saw("tray menu"));
  r.view.events.clear();
  r.controller.OnTrayCallback(513);
  EXPECT_EQ(r.view.events, (std::vector<std::string>{"show", "restore", "tray remove", "front"}));
  r.view.events.clear();
  r.controller.OnSysMinimize(false);
  EXPECT_EQ(r.view.events, (std::vector<std::string>{"minimize", "tray add"}));
  r.view.events.clear();
  r.controller.Dispatch(AppMessage::ComeForward, 0, 0);  // a second instance
  EXPECT_TRUE(r.view.Saw("tray remove"));
  r.view.events.clear();
  r.controller.OnExit();
  EXPECT_EQ(r.view.events, (std::vector<std::string>{"close", "tray remove"}));
}

TEST(Controller, ShutDownCleanClosesWhenItsRunEnds) {
  ControllerRig r;
  r.Tick(kRecent);
  EXPECT_TRUE(r.controller.OnQueryEndSession());
  EXPECT_EQ(r.view.events, (std::vector<std::string>{"save settings", "close"}));
  r.view.events.clear();
  r.state.options.ShutdownWash = true;
  r.state.options.AskForSweep = false;
  EXPECT_TRUE(r.controller.OnQueryEndSession());
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_EQ(r.Last().mode, RunMode::Unattended);
  EXPECT_FALSE(r.view.Saw("close"));
  r.controller.OnRunEnded(1, r.Last().serial);
  EXPECT_TRUE(r.view.Saw("close"));
}

TEST(Controller, CloseCancelsSavesAndShowsHiddenBrowsers) {
  ControllerRig r;
  r.Tick(kRecent);
  r.state.options.EnableHotkey = true;
  r.controller.OnCreate("");
  r.boss_key.OnHotKey(0xC001);
  r.controller.OnTestClick();
  r.view.events.clear();
  r.controller.OnClose();
  EXPECT_TRUE(*r.Last().terminated);
  EXPECT_TRUE(r.view.Saw("save settings"));
  EXPECT_FALSE(r.hot_keys.registered);
  EXPECT_EQ(r.hot_keys.shows, (std::vector<std::string>{"hide", "show"}));
}

TEST(Controller, SaveLogNamesAsksBeforeOverwritingAndWritesTheHeader) {
  ControllerRig r;
  EXPECT_FALSE(r.controller.SaveTextEnabled());
  r.view.log = {"Test: Clearing x ...", ""};
  EXPECT_TRUE(r.controller.SaveTextEnabled());
  EXPECT_EQ(app::WithTxtExtension("C:\\report"), "C:\\report.txt");
  EXPECT_EQ(app::WithTxtExtension("C:\\report.TXT"), "C:\\report.TXT.txt");
  EXPECT_EQ(app::WithTxtExtension("C:\\a.b\\report"), "C:\\a.b\\report.txt");
  EXPECT_EQ(app::WithTxtExtension("C:\\log.txt"), "C:\\log.txt");

  r.view.save_name = "C:\\log";
  r.files.files["C:\\log.txt"] = "old";
  r.controller.OnSaveText();  // answered No
  EXPECT_EQ(r.rig.questions, (std::vector<std::string>{"C:\\log.txt has existed,overite it?"}));
  EXPECT_EQ(r.files.files["C:\\log.txt"], "old");
  r.rig.answer = platform::Answer::Yes;
  r.controller.OnSaveText();
  // No run has a date here: the text has no date line.
  EXPECT_EQ(r.files.files["C:\\log.txt"],
            "This file was generated by Morvel\r\nVisit " + std::string(app::kHomePage) +
                " for the latest version\r\n\r\nTest: Clearing x ...\r\n\r\n");
}

TEST(Controller, SavedLogStartsInDocumentsNamedAndDatedAfterItsRun) {
  ControllerRig r;
  r.system.documents = "C:\\Users\\User\\Documents";
  r.system.local_time = platform::CalendarTime{2024, 5, 3, 1, 9, 7, 5, 0};
  std::uint64_t clock = 0;
  r.controller.SetClock([&] { return clock; });
  r.Tick(kRecent);
  clock = 1;  // the run's start
  r.controller.OnTestClick();
  r.controller.OnRunEnded(1, r.Last().serial);
  r.view.log = {"Test: Clearing x ..."};
  r.view.save_name = "C:\\Users\\User\\Documents\\Morvel log 2024-05-01 09-07-05.txt";
  clock = 99;  // saved later: the name and date are still the run's
  r.controller.OnSaveText();
  EXPECT_EQ(r.system.converted, 1u);
  EXPECT_TRUE(
      r.view.Saw("save as C:\\Users\\User\\Documents | Morvel log 2024-05-01 09-07-05.txt"));
  EXPECT_EQ(r.files.files[*r.view.save_name],
            "This file was generated by Morvel\r\nVisit " + std::string(app::kHomePage) +
                " for the latest version\r\nRun on 1.5.2024 9:7\r\n\r\nTest: Clearing x ...\r\n");
  EXPECT_EQ(app::SavedLogName({1999, 12, 5, 31, 23, 59, 58, 999}),
            "Morvel log 1999-12-31 23-59-58.txt");
}

TEST(Controller, ConfirmationCheckBoxSwitchesTheQuestionOffEvenOnCancel) {
  ControllerRig r;
  r.Tick(kRecent);
  r.view.tick_dont_show = true;
  r.view.answer_yes = false;
  r.controller.OnCleanClick();
  EXPECT_TRUE(r.runs.empty());
  EXPECT_FALSE(r.state.options.AskForSweep);
  r.controller.OnCleanClick();
  EXPECT_EQ(r.view.asked, 1);
  EXPECT_EQ(r.runs.size(), 1u);
}

TEST(BossKey, TextsMasksClassesAndToggling) {
  struct {
    TShortcut key;
    const char* plain;
    const char* spaced;
    unsigned mask;
  } const cases[] = {
      {{true, false, false, "F5", 116}, "Ctrl+F5", "Ctrl  F5", 2},
      {{true, false, true, "F5", 116}, "Ctrl+Alt+F5", "Ctrl  Alt  F5", 3},
      {{false, true, false, "Z", 90}, "Shift+Z", "Shift  Z", 4},
      {{false, false, false, "F9", 120}, "F9", "F9", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::ShortcutText(c.key, false), c.plain);
    EXPECT_EQ(app::ShortcutText(c.key, true), c.spaced);
    EXPECT_EQ(app::ModifierMask(c.key), c.mask);
  }
  for (const char* name :
       {"IEFrame", "NS_AE_WindowClass", "MozillaWindowClass", "MozillaUIWindowClass", "OpWindow"})
    EXPECT_TRUE(app::IsBrowserClass(name)) << name;
  EXPECT_FALSE(app::IsBrowserClass("ieframe"));

  RigHotKeys port;
  app::BossKey key(port);
  key.Register({});
  key.OnHotKey(0xC001);
  key.OnHotKey(0x1234);  // another id only flips the flag
  key.OnHotKey(0xC001);
  EXPECT_EQ(port.shows, (std::vector<std::string>{"hide", "hide"}));
  port.register_fails = true;
  key.Register({});
  EXPECT_EQ(port.errors, (std::vector<std::string>{std::string(app::kBossKeyFailed)}));
}

TEST(Controller, SingleInstanceAndSwitches) {
  struct Port final : app::InstancePort {
    bool MainWindowExists() const override { return exists; }
    void PostComeForward() override { calls += "post "; }
    void SetForeground() override { calls += "front"; }
    bool exists = false;
    std::string calls;
  } port;
  EXPECT_FALSE(app::HandOverToRunningInstance(port));
  EXPECT_EQ(port.calls, "");
  port.exists = true;
  EXPECT_TRUE(app::HandOverToRunningInstance(port));
  EXPECT_EQ(port.calls, "post front");
  EXPECT_EQ(app::ParseStartSwitch("-Start"), app::StartSwitch::Start);
  EXPECT_EQ(app::ParseStartSwitch("-START"), app::StartSwitch::None);
  EXPECT_EQ(app::ParseStartSwitch("-cleanONCE"), app::StartSwitch::CleanOnce);
  EXPECT_EQ(app::ParseStartSwitch("/cleanonce"), app::StartSwitch::None);
}

// The layout rules at every size, and at 96 DPI the design client area gives back the design.
TEST(Layout, ControlsFollowTheClientArea) {
  const app::MainLayout design = app::DesignLayout();
  struct {
    int width, height;
  } const sizes[] = {{688, 449}, {594, 342}, {1200, 900}};
  for (const auto& s : sizes) {
    const app::MainLayout l = app::LayoutControls(s.width, s.height, design);
    EXPECT_EQ(l.title, (app::Rect{0, 0, s.width, 50}));
    EXPECT_EQ(l.panel.bottom(), s.height);
    EXPECT_EQ(l.tree.bottom(), l.panel.top - 10);
    EXPECT_EQ(l.group.bottom(), l.panel.top - 10);
    EXPECT_EQ(l.group.right(), s.width - 6);
    EXPECT_EQ(l.test.bottom(), l.group.height - 10);
    EXPECT_EQ(l.log.width, l.group.width - 16);
    EXPECT_EQ(l.log.bottom(), l.test.top - 10);
    EXPECT_EQ(l.clean.right(), l.log.right());
    EXPECT_EQ(l.test.right(), l.clean.left - 20);
    EXPECT_EQ(l.check_update.right(), s.width - 8);
    EXPECT_EQ(l.fast_mode.left, l.group.left);
    EXPECT_EQ(l.label2.top, l.log.bottom() + 8);
    EXPECT_EQ(l.total_items.top, l.label2.bottom() + 5);
    EXPECT_EQ(l.number.left, l.total_items.right() + 5);
  }
  EXPECT_EQ(app::LayoutControls(688, 449, design), design);
}

bool Overlap(const app::Rect& a, const app::Rect& b) {
  return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.left < b.right() &&
         b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// No two controls overlap, from the smallest client area to a large one, at 96 and 144 DPI,
// with the widths the window measures (a long counter title, a seven-digit counter).
TEST(Layout, NoControlsOverlapAtAnySizeOrDpi) {
  for (const int dpi : {96, 120, 144}) {
    app::MainLayout measured = app::DesignLayout(dpi);
    measured.total_items.width = app::ScaleToDpi(150, dpi);
    measured.number.width = app::ScaleToDpi(50, dpi);
    measured.check_update.width = app::ScaleToDpi(140, dpi);
    const int min_width = app::ScaleToDpi(app::kMinWidth - 16, dpi);
    const int min_height = app::ScaleToDpi(app::kMinHeight - 58, dpi);
    for (const int width : {min_width, min_width + 37, app::ScaleToDpi(688, dpi), 1900})
      for (const int height : {min_height, app::ScaleToDpi(449, dpi), 1100}) {
        const app::MainLayout l = app::LayoutControls(width, height, measured, dpi);
        const auto in = [](const app::Rect& r, const app::Rect& parent) {
          return app::Rect{r.left + parent.left, r.top + parent.top, r.width, r.height};
        };
        struct Named {
          const char* name;
          app::Rect rect;
        } const controls[] = {
            {"title", l.title},
            {"label1", l.label1},
            {"tree", l.tree},
            {"progress", in(l.progress, l.group)},
            {"log", in(l.log, l.group)},
            {"test", in(l.test, l.group)},
            {"clean", in(l.clean, l.group)},
            {"label2", in(l.label2, l.group)},
            {"current item", in(l.current_item, l.group)},
            {"total items", in(l.total_items, l.group)},
            {"number", in(l.number, l.group)},
            {"online help", in(l.online_help, l.panel)},
            {"check update", in(l.check_update, l.panel)},
            {"fast mode", in(l.fast_mode, l.panel)},
        };
        for (std::size_t i = 0; i < std::size(controls); ++i)
          for (std::size_t j = i + 1; j < std::size(controls); ++j)
            EXPECT_FALSE(Overlap(controls[i].rect, controls[j].rect))
                << controls[i].name << " and " << controls[j].name << " at " << width << "x"
                << height << ", " << dpi << " DPI";
        EXPECT_GT(l.number.width, 0) << "the counter always shows";
        // The lowest labels end clear of the group's frame (two lines at its bottom).
        EXPECT_LE(l.total_items.bottom(), l.group.height - app::ScaleToDpi(2, dpi));
        EXPECT_EQ(l.number.left, l.total_items.right() + app::ScaleToDpi(5, dpi));
      }
  }
}

// A mouse-down on the tree: ticks follow the catalogue's rule, and only the label of
// "<New List>" opens the custom lists editor.
TEST(Controller, TreeClicksTickOrOpenTheCustomListsEditor) {
  struct {
    const char* key;
    HitArea area;
    bool ticked_after;
    bool opens_editor;
  } const cases[] = {
      {"Custom Lists - <New List>", HitArea::Label, false, true},
      {"Custom Lists - <New List>", HitArea::StateImage, true, false},
      {"Custom Lists - <New List>", HitArea::Elsewhere, false, false},
      {kRecent, HitArea::StateImage, true, false},
      {kRecent, HitArea::Label, false, false},
  };
  for (const auto& c : cases) {
    ControllerRig r;
    r.state.catalogue.SetAll(kUnticked);
    const auto node = r.state.catalogue.FindByKey(c.key);
    ASSERT_TRUE(node) << c.key;
    r.controller.OnTreeMouseDown(*node, c.area);
    EXPECT_EQ(r.state.catalogue.StateOf(*node) == kTicked, c.ticked_after) << c.key;
    EXPECT_EQ(r.view.Saw("custom lists"), c.opens_editor) << c.key;
  }
  ControllerRig r;
  r.controller.OnTreeExpanded(0, false);
  EXPECT_FALSE(r.state.catalogue.roots()[0].expanded);
  r.controller.OnTreeExpanded(0, true);
  EXPECT_TRUE(r.state.catalogue.roots()[0].expanded);
  r.controller.OnTreeExpanded(99, true);  // no such root: nothing
}

// The end of the session waits for a shut-down clean that still runs, and for nothing else.
TEST(Controller, SessionEndWaitsOnlyForTheShutDownClean) {
  ControllerRig r;
  r.Tick(kRecent);
  r.state.options.AskForSweep = false;
  r.controller.OnEndSession(true);  // no shut-down clean
  EXPECT_FALSE(r.view.Saw("wait"));
  r.state.options.ShutdownWash = true;
  r.controller.OnQueryEndSession();
  r.controller.OnEndSession(false);  // the session goes on
  EXPECT_FALSE(r.view.Saw("wait"));
  r.view.while_waiting = [&] { r.controller.OnRunEnded(1, r.Last().serial); };
  r.controller.OnEndSession(true);
  EXPECT_TRUE(r.view.Saw("wait"));
  EXPECT_TRUE(r.view.Saw("idle"));
  EXPECT_TRUE(r.view.Saw("close"));
}

}  // namespace
}  // namespace morvel::testing
