// The settings dialog's decisions and what its OK commits, through the main window's
// controller on a recording view: the boss key's capture edit, the hot-key test with its
// three error texts, the settings, the boss key, the schedule, the autorun entry and
// settings.ini; Cancel changes nothing.
#include <gtest/gtest.h>

#include "app/autorun.h"
#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

using app::HeldModifiers;
constexpr HeldModifiers kNone{}, kCtrl{true}, kCtrlShift{true, true}, kAlt{false, false, true};

struct KeyCase {
  std::uint16_t code;
  bool after_modifiers;
  std::optional<std::string> name;
};

class KeyNames : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyNames, NameTheKeyOrRefuseIt) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(app::KeyName(c.code, c.after_modifiers), c.name) << c.code;
}

// The edges of every range and rule of the table, and the gaps between them.
INSTANTIATE_TEST_SUITE_P(
    OptionsDialog, KeyNames,
    ::testing::Values(
        KeyCase{8, false, "BackSpace"}, KeyCase{9, false, "Tab"}, KeyCase{13, true, "Enter"},
        KeyCase{16, false, ""}, KeyCase{18, true, ""}, KeyCase{27, false, "Esc"},
        KeyCase{32, false, "Space"}, KeyCase{40, false, "DownArrow"},
        KeyCase{44, false, "PrintScreen"}, KeyCase{45, false, "Ins"}, KeyCase{46, false, "DDel"},
        KeyCase{46, true, "Del"}, KeyCase{47, false, "Help"}, KeyCase{48, false, "0"},
        KeyCase{58, false, ":"}, KeyCase{64, false, "@"}, KeyCase{90, false, "Z"},
        KeyCase{96, false, "Num 0"}, KeyCase{105, false, "Num 9"}, KeyCase{106, false, "*"},
        KeyCase{108, false, "Separator"}, KeyCase{111, false, "/"}, KeyCase{112, false, "F1"},
        KeyCase{135, false, "F24"}, KeyCase{144, false, "Numlock"}, KeyCase{145, false, "Scroll"},
        KeyCase{0, false, {}}, KeyCase{10, false, {}}, KeyCase{15, false, {}},
        KeyCase{21, false, {}}, KeyCase{26, false, {}}, KeyCase{28, false, {}},
        KeyCase{31, false, {}}, KeyCase{41, false, {}}, KeyCase{43, false, {}},
        KeyCase{91, true, {}}, KeyCase{95, false, {}}, KeyCase{136, false, {}},
        KeyCase{143, false, {}}, KeyCase{146, false, {}}, KeyCase{65535, false, {}}));

struct Keys {
  const char* name;
  std::vector<std::pair<std::uint16_t, HeldModifiers>> presses;
  std::string text, char_string;
  std::uint16_t code;
};

class Capture : public ::testing::TestWithParam<Keys> {};

TEST_P(Capture, ShowsModifiersAndKeyAndStoresTheKey) {
  const Keys& c = GetParam();
  app::OptionsDialog dialog(TOptionsSetting{}, false);
  std::string text;
  for (const auto& [code, held] : c.presses) text = dialog.OnKeyDown(code, held);
  EXPECT_EQ(text, c.text);
  EXPECT_EQ(dialog.copy().Hotkey.CharString, c.char_string);
  EXPECT_EQ(dialog.copy().Hotkey.CharAscII, c.code);
}

INSTANTIATE_TEST_SUITE_P(
    OptionsDialog, Capture,
    ::testing::Values(Keys{"CtrlThenShiftThenF5",
                           {{17, kCtrl}, {16, kCtrlShift}, {116, kCtrlShift}},
                           "Ctrl  Shift  F5",
                           "F5",
                           116},
                      Keys{"CtrlAlone", {{17, kCtrl}}, "Ctrl  ", "", 0},
                      Keys{"DeleteAlone", {{46, kNone}}, "Del", "Del", 46},
                      Keys{"CtrlDelete", {{46, kCtrl}}, "Ctrl  Del", "Del", 46},
                      Keys{"KeyNotInTheTableEmptiesAll", {{17, kCtrl}, {91, kCtrl}}, "", "", 91},
                      Keys{"AltNumPad", {{99, kAlt}}, "Alt  Num 3", "Num 3", 99},
                      Keys{"AllThree", {{65, {true, true, true}}}, "Ctrl  Shift  Alt  A", "A", 65}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsDialog, ModifiersOnTheWayToTabOrEnterAreNotTheKey) {
  app::OptionsDialog dialog(TOptionsSetting{}, false);
  EXPECT_EQ(dialog.OnKeyPassed(), "Ctrl  F5");  // nothing pressed yet
  dialog.OnKeyDown(117, kCtrl);
  EXPECT_EQ(dialog.OnKeyDown(16, {false, true}), "Shift  ");  // Shift of Shift+Tab
  EXPECT_EQ(dialog.OnKeyPassed(), "Ctrl  F6");
  EXPECT_EQ(dialog.copy().Hotkey.CharAscII, 117);
  EXPECT_EQ(dialog.copy().Hotkey.CharString, "F6");
}

// One OK of the dialog: what the settings were, what the user did, how the system answers,
// and what must hold afterwards.
struct CommitCase {
  const char* name;
  std::function<void(ControllerRig&)> before;
  std::function<void(app::OptionsDialog&, app::OptionsForm&)> user;
  bool closes = true;
  const char* error = nullptr;  // the dialog's error box
  std::function<void(ControllerRig&, const app::OptionsDialog&, const app::OptionsForm&)> check;
};

void Press(app::OptionsDialog& d, app::OptionsForm& f,
           std::initializer_list<std::pair<std::uint16_t, HeldModifiers>> presses) {
  for (const auto& [code, held] : presses) f.hide_text = d.OnKeyDown(code, held);
}

class Commit : public ::testing::TestWithParam<CommitCase> {};

TEST_P(Commit, CommitsInOrderOrStaysOpen) {
  const CommitCase& c = GetParam();
  ControllerRig r;
  if (c.before) c.before(r);
  const TOptionsSetting before = r.state.options;
  bool closed = false;
  r.view.settings = [&](app::OptionsDialog& dialog) {
    app::OptionsForm form = dialog.initial();
    EXPECT_EQ(form.hide_text, app::ShortcutText(before.Hotkey, true));
    if (c.user) c.user(dialog, form);
    const int registered_before = r.hot_keys.registrations;
    closed = dialog.OnOk(form, r.hot_keys);
    // A failed test leaves nothing registered under its atom.
    if (!closed && r.hot_keys.registrations > registered_before) {
      EXPECT_FALSE(r.hot_keys.registered);
    }
    if (c.check && !closed) c.check(r, dialog, form);
  };
  r.controller.OnSettings();
  EXPECT_EQ(closed, c.closes);
  EXPECT_EQ(r.hot_keys.errors,
            c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
  EXPECT_EQ(r.view.Saw("save settings"), c.closes);
  if (!c.closes) {
    // Nothing reached the program: settings, schedule, registry.
    EXPECT_EQ(r.state.options.EnableHotkey, before.EnableHotkey);
    EXPECT_EQ(r.state.options.Hotkey.CharAscII, before.Hotkey.CharAscII);
    EXPECT_FALSE(r.view.Saw("schedule 0 900000"));
    EXPECT_TRUE(r.registry.values.empty());
    EXPECT_TRUE(r.tasks.tasks.empty());
    return;
  }
  if (c.check) c.check(r, app::OptionsDialog(r.state.options, false), {});
}

const std::pair<std::string, std::string> kRunEntry{std::string(app::kRunKey), "Morvel"};

std::optional<std::string> RunValue(const ControllerRig& r) {
  const auto at = r.registry.values.find(kRunEntry);
  if (at == r.registry.values.end()) return std::nullopt;
  return at->second.AsText();
}

INSTANTIATE_TEST_SUITE_P(
    OptionsDialog, Commit,
    ::testing::Values(
        CommitCase{"CleaningAtStartTicksAutorun", nullptr,
                   [](auto&, auto& f) {
                     f.start_wash = true;
                     f.auto_start = false;
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_TRUE(r.tasks.tasks.contains("Morvel"));
                     EXPECT_EQ(RunValue(r), std::nullopt);
                     EXPECT_TRUE(r.state.options.StartWash);
                   }},
        CommitCase{"AutorunOffRemovesTheEntryAndTheTask",
                   [](ControllerRig& r) {
                     r.registry.values[kRunEntry] = platform::RegistryValue::MakeString(
                         "Morvel", "C:\\old\\morvel.exe -Start");
                     r.tasks.tasks["Morvel"] = "<Task/>";
                   },
                   [](auto&, auto& f) {
                     EXPECT_TRUE(f.auto_start);
                     f.auto_start = false;
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_EQ(RunValue(r), std::nullopt);
                     EXPECT_TRUE(r.tasks.tasks.empty());
                   }},
        CommitCase{"RefusedRunKeyIsToldAndTheRestCommitted",
                   [](ControllerRig& r) {
                     r.tasks.available = false;  // older Windows: the Run value it is
                     r.registry.deny = true;
                   },
                   [](auto&, auto& f) {
                     f.auto_start = true;
                     f.fast_scan = false;
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_TRUE(r.view.Saw(
                         "message Morvel could not be set to run when the computer starts: the "
                         "registry refused the change (access denied)."));
                     EXPECT_FALSE(r.state.options.FastScan);
                     EXPECT_TRUE(r.view.Saw("fast box off"));
                   }},
        CommitCase{"BossKeyOffNeedsNoTest",
                   [](ControllerRig& r) {
                     r.state.options.EnableHotkey = true;
                     r.hot_keys.registered = true;
                   },
                   [](auto&, auto& f) { f.boss_key = false; }, true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_EQ(r.hot_keys.registrations, 0);
                     EXPECT_FALSE(r.hot_keys.registered);
                     EXPECT_FALSE(r.state.options.EnableHotkey);
                   }},
        CommitCase{"BossKeyOnUntouchedRegistersOnlyTheStoredKey", nullptr,
                   [](auto&, auto& f) { f.boss_key = true; }, true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_EQ(r.hot_keys.registrations, 1);
                     EXPECT_EQ(r.hot_keys.modifiers, 2u);
                     EXPECT_EQ(r.hot_keys.key, 116);
                     EXPECT_TRUE(r.hot_keys.registered);
                   }},
        CommitCase{"NewKeyIsTestedThenRegistered", nullptr,
                   [](auto& d, auto& f) {
                     f.boss_key = true;
                     Press(d, f, {{17, kCtrl}, {16, kCtrlShift}, {117, kCtrlShift}});
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_EQ(r.hot_keys.registrations, 2);
                     EXPECT_EQ(r.hot_keys.modifiers, 6u);
                     EXPECT_EQ(r.hot_keys.key, 117);
                     EXPECT_EQ(r.state.options.Hotkey.CharString, "F6");
                     EXPECT_TRUE(r.state.options.Hotkey.IsShift);
                   }},
        CommitCase{"ModifiersWithoutAKeyAreRefused", nullptr,
                   [](auto& d, auto& f) {
                     f.boss_key = true;
                     Press(d, f, {{17, kCtrl}});
                   },
                   false, app::kBossKeyFailed.data(),
                   [](ControllerRig& r, auto&, const app::OptionsForm& f) {
                     EXPECT_EQ(r.hot_keys.registrations, 0);
                     EXPECT_EQ(f.hide_text, "Ctrl  F5");
                   }},
        CommitCase{"KeyOutsideTheTableIsBlank", nullptr,
                   [](auto& d, auto& f) {
                     f.boss_key = true;
                     Press(d, f, {{91, kCtrl}});
                   },
                   false, app::kHotkeyBlank.data(), nullptr},
        CommitCase{"RefusedKeyBringsTheOpeningKeyBack",
                   [](ControllerRig& r) { r.hot_keys.register_fails = true; },
                   [](auto& d, auto& f) {
                     f.boss_key = true;
                     Press(d, f, {{18, kAlt}, {120, kAlt}});
                   },
                   false, app::kBossKeyFailed.data(),
                   [](ControllerRig&, const app::OptionsDialog& d, const app::OptionsForm& f) {
                     EXPECT_EQ(f.hide_text, "Ctrl  F5");
                     EXPECT_EQ(d.copy().Hotkey.CharString, "F5");
                     EXPECT_EQ(d.copy().Hotkey.CharAscII, 116);
                     EXPECT_TRUE(d.copy().Hotkey.IsCtrl);
                     EXPECT_FALSE(d.copy().Hotkey.IsAlt);
                   }},
        CommitCase{"TestAtomRefused", [](ControllerRig& r) { r.hot_keys.atom_fails = true; },
                   [](auto& d, auto& f) {
                     f.boss_key = true;
                     Press(d, f, {{117, kCtrl}});
                   },
                   false, app::kHotkeyAtomFailed.data(), nullptr},
        CommitCase{"NoIntervalIsFifteenMinutes", nullptr,
                   [](auto&, auto& f) {
                     f.auto_wash = true;
                     f.wash_interval = -1;
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_TRUE(r.view.Saw("schedule 1 900000"));
                     EXPECT_EQ(r.state.options.WashInterval, -1);
                   }},
        CommitCase{"EveryHourAndTenPasses", nullptr,
                   [](auto&, auto& f) {
                     f.auto_wash = true;
                     f.wash_interval = 2;
                     f.wipe_file = true;
                     f.wipe_number = 9;
                   },
                   true, nullptr,
                   [](ControllerRig& r, auto&, auto&) {
                     EXPECT_TRUE(r.view.Saw("schedule 1 3600000"));
                     EXPECT_EQ(r.state.options.OverwriteNumber, 10);
                     EXPECT_TRUE(r.state.options.OverwriteFile);
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsDialog, CancelCommitsNothingAndOkKeepsWhatItDoesNotEdit) {
  ControllerRig r;
  r.view.settings = [](app::OptionsDialog&) {};  // the dialog closed without OK
  r.controller.OnSettings();
  EXPECT_FALSE(r.view.Saw("save settings"));
  EXPECT_FALSE(r.view.Saw("schedule 0 900000"));
  EXPECT_TRUE(r.registry.values.empty());

  // The window moved while the dialog was open: OK does not put the old place back.
  r.view.settings = [&](app::OptionsDialog& d) {
    r.state.options.Left = 77;
    app::OptionsForm form = d.initial();
    EXPECT_TRUE(d.OnOk(form, r.hot_keys));
  };
  r.controller.OnSettings();
  EXPECT_EQ(r.state.options.Left, 77);
  EXPECT_TRUE(r.view.Saw("save settings"));
}

TEST(OptionsDialog, StoredChoiceOutsideTheRadioItemsSelectsNone) {
  TOptionsSetting settings;
  settings.WashInterval = 7;
  settings.OverwriteNumber = 4;
  const app::OptionsDialog dialog(settings, false);
  EXPECT_EQ(dialog.initial().wash_interval, -1);
  EXPECT_EQ(dialog.initial().wipe_number, 3);
}

}  // namespace
}  // namespace morvel::testing
