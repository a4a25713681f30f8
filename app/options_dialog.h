#pragma once
// The settings dialog's decisions (frmOptions): what its controls show of a private copy
// of the settings, the boss key's capture edit, the test registration of a changed boss
// key, and what OK hands over. The dialog commits nothing itself: the main window's
// controller commits what OK accepted (CommitOptions).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/boss_key.h"
#include "engine/options_setting.h"

namespace morvel::app {

inline constexpr std::string_view kHotkeyBlank = "The hotkey setting cannot be blank.";
inline constexpr std::string_view kHotkeyAtomFailed =
    "Hotkey setting failed, please run application again!";
inline constexpr std::string_view kWipeHint =
    "The more times a file is overwritten,the higher the security,and the longer the wash "
    "will take.";
// The schedule's radio items; the index is WashInterval.
inline constexpr std::array<std::string_view, 5> kWashIntervals = {
    "Every 15 minutes", "Every 30 minutes", "Every hour", "Every 4 hours", "Every 8 hours"};

// The name the boss key's edit shows for a virtual key: "F5", "Num 3", "PageUp", ...; the
// modifier keys (16, 17, 18) have an empty name; nullopt for a key the edit does not take.
// Delete is "DDel" when the edit holds no modifier yet (the edit's own Delete handling took
// the first letter, so "Del" is what was seen and stored).
std::optional<std::string> KeyName(std::uint16_t code, bool after_modifiers);

struct HeldModifiers {
  bool ctrl = false, shift = false, alt = false;
};

// What the dialog's controls hold, in the order of its pages.
struct OptionsForm {
  bool fast_scan = false;
  bool show_log_temp_internet_files = false;
  bool show_log_recycle_bin = false;
  bool ask_clear = false;
  bool auto_start = false;
  bool wipe_file = false;
  int wipe_number = 0;  // index of "1" to "10"
  bool auto_wash = false;
  int wash_interval = -1;  // selected radio item; -1 for none
  bool start_wash = false;
  bool shutdown_wash = false;
  bool boss_key = false;
  std::string hide_text;  // the capture edit
};

// What OK accepted, for the main window's controller to commit.
struct OptionsChoice {
  TOptionsSetting settings;
  bool boss_key_changed = false;
  bool auto_start = false;
};

class OptionsDialog {
 public:
  // `auto_start`: whether the program starts with Windows now (Autorun::IsOn).
  OptionsDialog(const TOptionsSetting& settings, bool auto_start);

  // The controls as the dialog opens.
  [[nodiscard]] const OptionsForm& initial() const { return initial_; }

  // A key pressed in the capture edit with `held` modifiers: the text the edit shows now.
  // The key's name and code go into the private copy. Nothing typed reaches the edit.
  std::string OnKeyDown(std::uint16_t code, HeldModifiers held);
  // A key the dialog itself takes (Tab, Ctrl+Tab, Enter, Esc) while the capture edit has
  // the focus: the modifiers pressed on the way to it (Shift of Shift+Tab) were not meant
  // as the boss key, so the edit goes back to the last key pressed in it. The edit's text.
  std::string OnKeyPassed();

  // OK with the controls as `form` holds them. True: the dialog closes and accepted()
  // holds what to commit. False: it stays open, after the error box; `form.hide_text` is
  // then what the capture edit must show.
  bool OnOk(OptionsForm& form, HotKeyPort& hot_keys);
  [[nodiscard]] const std::optional<OptionsChoice>& accepted() const { return accepted_; }

  // The private copy (the key capture's and OK's work), for the view's tests.
  [[nodiscard]] const TOptionsSetting& copy() const { return copy_; }

 private:
  void ReadForm(const OptionsForm& form);
  bool TestHotKey(OptionsForm& form, HotKeyPort& hot_keys);

  TOptionsSetting copy_;
  OptionsForm initial_;
  const bool enabled_at_creation_;
  const std::string text_at_creation_;
  std::string accepted_name_;
  std::uint16_t accepted_code_;
  // The capture as the last key other than a modifier left it.
  std::string settled_text_;
  TShortcut settled_key_;
  std::optional<OptionsChoice> accepted_;
};

// Copies what the dialog edits from `from` into `to`, field by field (the fields the run
// reads are atomics): whatever else changed meanwhile (ticks, geometry) stays.
void ApplyEditedSettings(const TOptionsSetting& from, TOptionsSetting& to);

}  // namespace morvel::app
