#include "app/options_dialog.h"

namespace morvel::app {

namespace {

struct NamedKey {
  std::uint16_t code;
  std::string_view name;
};

// Keys with a name of their own; the letters, digits, numeric pad and F keys are made.
constexpr NamedKey kNamedKeys[] = {
    {8, "BackSpace"},  {9, "Tab"},          {12, "Clear"},     {13, "Enter"},   {19, "Pause"},
    {20, "CapsLock"},  {27, "Esc"},         {32, "Space"},     {33, "PageUp"},  {34, "PageDown"},
    {35, "End"},       {36, "Home"},        {37, "LeftArrow"}, {38, "UpArrow"}, {39, "RightArrow"},
    {40, "DownArrow"}, {44, "PrintScreen"}, {45, "Ins"},       {47, "Help"},    {106, "*"},
    {107, "+"},        {108, "Separator"},  {109, "-"},        {110, "."},      {111, "/"},
    {144, "Numlock"},  {145, "Scroll"},
};

bool IsModifierKey(std::uint16_t code) { return code >= 16 && code <= 18; }

}  // namespace

std::optional<std::string> KeyName(std::uint16_t code, bool after_modifiers) {
  if (IsModifierKey(code)) return std::string();
  if (code == 46) return std::string(after_modifiers ? "Del" : "DDel");
  if (code >= 48 && code <= 90) return std::string(1, static_cast<char>(code));
  if (code >= 96 && code <= 105) return "Num " + std::to_string(code - 96);
  if (code >= 112 && code <= 135) return "F" + std::to_string(code - 111);
  for (const NamedKey& key : kNamedKeys)
    if (key.code == code) return std::string(key.name);
  return std::nullopt;
}

OptionsDialog::OptionsDialog(const TOptionsSetting& settings, bool auto_start)
    : copy_(settings),
      enabled_at_creation_(settings.EnableHotkey),
      text_at_creation_(ShortcutText(settings.Hotkey, true)),
      accepted_name_(settings.Hotkey.CharString),
      accepted_code_(settings.Hotkey.CharAscII),
      settled_text_(text_at_creation_),
      settled_key_(settings.Hotkey) {
  OptionsForm& f = initial_;
  f.fast_scan = settings.FastScan;
  f.show_log_temp_internet_files = settings.ShowLogTempInternetFiles;
  f.show_log_recycle_bin = settings.ShowLogRecycleBin;
  f.ask_clear = settings.AskForSweep;
  f.auto_start = auto_start;
  f.wipe_file = settings.OverwriteFile;
  f.wipe_number = settings.OverwriteNumber - 1;
  f.auto_wash = settings.AutoWash;
  // A stored choice no radio item has selects none (and reads back as -1).
  const std::int32_t interval = settings.WashInterval;
  f.wash_interval =
      interval >= 0 && interval < static_cast<std::int32_t>(kWashIntervals.size()) ? interval : -1;
  f.start_wash = settings.StartWash;
  f.shutdown_wash = settings.ShutdownWash;
  f.boss_key = settings.EnableHotkey;
  f.hide_text = text_at_creation_;
}

std::string OptionsDialog::OnKeyDown(std::uint16_t code, HeldModifiers held) {
  std::string text;
  if (held.ctrl) text += "Ctrl  ";
  if (held.shift) text += "Shift  ";
  if (held.alt) text += "Alt  ";
  std::optional<std::string> name = KeyName(code, !text.empty());
  if (!name) {
    // A key the edit does not take empties it, the modifiers with it.
    text.clear();
    name = std::string();
  }
  if (*name == "DDel") name = "Del";
  text += *name;
  copy_.Hotkey.CharString = *name;
  copy_.Hotkey.CharAscII = IsModifierKey(code) ? 0 : code;
  if (!IsModifierKey(code)) {
    settled_text_ = text;
    settled_key_ = copy_.Hotkey;
  }
  return text;
}

std::string OptionsDialog::OnKeyPassed() {
  copy_.Hotkey.CharString = settled_key_.CharString;
  copy_.Hotkey.CharAscII = settled_key_.CharAscII;
  return settled_text_;
}

void OptionsDialog::ReadForm(const OptionsForm& f) {
  copy_.FastScan = f.fast_scan;
  copy_.ShowLogTempInternetFiles = f.show_log_temp_internet_files;
  copy_.ShowLogRecycleBin = f.show_log_recycle_bin;
  copy_.AskForSweep = f.ask_clear;
  copy_.OverwriteFile = f.wipe_file;
  copy_.OverwriteNumber = f.wipe_number + 1;
  copy_.EnableHotkey = f.boss_key;
  copy_.Hotkey.IsCtrl = f.hide_text.find("Ctrl") != std::string::npos;
  copy_.Hotkey.IsShift = f.hide_text.find("Shift") != std::string::npos;
  copy_.Hotkey.IsAlt = f.hide_text.find("Alt") != std::string::npos;
  copy_.AutoWash = f.auto_wash;
  copy_.WashInterval = f.wash_interval;
  copy_.StartWash = f.start_wash;
  copy_.ShutdownWash = f.shutdown_wash;
}

bool OptionsDialog::OnOk(OptionsForm& form, HotKeyPort& hot_keys) {
  ReadForm(form);
  const bool changed = form.boss_key != enabled_at_creation_ ||
                       (form.boss_key && form.hide_text != text_at_creation_);
  if (changed && copy_.EnableHotkey && !TestHotKey(form, hot_keys)) return false;
  // Starting with Windows is what cleans at Windows' start: the one needs the other.
  accepted_ = OptionsChoice{copy_, changed, form.auto_start || copy_.StartWash};
  return true;
}

bool OptionsDialog::TestHotKey(OptionsForm& form, HotKeyPort& hot_keys) {
  if (form.hide_text.empty()) {
    hot_keys.ShowError(kHotkeyBlank);
    return false;
  }
  const std::uint16_t atom = hot_keys.AddAtom(kBossKeyTestAtom);
  if (atom == 0) {
    hot_keys.ShowError(kHotkeyAtomFailed);
    return false;
  }
  if (form.hide_text != text_at_creation_) {
    // Modifiers without a key make no hot key, whatever the system answers for key 0.
    const bool registered =
        copy_.Hotkey.CharAscII != 0 &&
        hot_keys.RegisterHotKey(atom, ModifierMask(copy_.Hotkey), copy_.Hotkey.CharAscII);
    if (!registered) {
      hot_keys.ShowError(kBossKeyFailed);
      form.hide_text = text_at_creation_;
      ReadForm(form);
      copy_.Hotkey.CharString = accepted_name_;
      copy_.Hotkey.CharAscII = accepted_code_;
      hot_keys.UnregisterHotKey(atom);
      hot_keys.DeleteAtom(atom);
      return false;
    }
    hot_keys.UnregisterHotKey(atom);
    accepted_name_ = copy_.Hotkey.CharString;
    accepted_code_ = copy_.Hotkey.CharAscII;
  }
  hot_keys.DeleteAtom(atom);
  return true;
}

void ApplyEditedSettings(const TOptionsSetting& from, TOptionsSetting& to) {
  to.FastScan = from.FastScan;
  to.ShowLogTempInternetFiles = from.ShowLogTempInternetFiles;
  to.ShowLogRecycleBin = from.ShowLogRecycleBin;
  to.AskForSweep = from.AskForSweep;
  to.OverwriteFile = from.OverwriteFile;
  to.OverwriteNumber = from.OverwriteNumber;
  to.EnableHotkey = from.EnableHotkey;
  to.Hotkey = from.Hotkey;
  to.AutoWash = from.AutoWash;
  to.WashInterval = from.WashInterval;
  to.StartWash = from.StartWash;
  to.ShutdownWash = from.ShutdownWash;
}

}  // namespace morvel::app
