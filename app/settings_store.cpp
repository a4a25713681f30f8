#include "app/settings_store.h"

#include <string>

#include "app/main_layout.h"

namespace morvel {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kHotkey = "Hotkey";
constexpr const char* kSchedule = "SChedule";
constexpr const char* kNodeSelected = "NodeSelected";
constexpr const char* kFirstNodeExpand = "FirstNodeExpand";
constexpr const char* kWindow = "Window";

std::int32_t ReadInt32(const IniDocument& ini, const char* section, const char* key,
                       std::int32_t fallback) {
  return static_cast<std::int32_t>(ini.ReadInteger(section, key, fallback));
}

// A stored distance (96 DPI) at `dpi`; `fallback`, in pixels at `dpi` already, when there is
// none.
std::int32_t ReadScaled(const IniDocument& ini, const char* key, std::int32_t fallback, int dpi) {
  const auto stored = ini.ReadIntegerIf(kWindow, key);
  if (!stored) return fallback;
  return app::ScaleToDpi(static_cast<std::int32_t>(*stored), dpi);
}

}  // namespace

void LoadSettings(const IniDocument& ini, TOptionsSetting& o, Catalogue& catalogue,
                  const WindowDefaults& window) {
  o.AskForSweep = ini.ReadBool(kSettings, "AskForSweep", true);
  o.OverwriteFile = ini.ReadBool(kSettings, "OverwriteFile", false);
  const long long passes = ini.ReadInteger(kSettings, "OverwriteNumber", 1);
  o.OverwriteNumber = (passes < 1 || passes > 10) ? 1 : static_cast<std::int32_t>(passes);

  o.EnableHotkey = ini.ReadBool(kHotkey, "EnableHotkey", false);
  o.Hotkey.IsCtrl = ini.ReadBool(kHotkey, "IsCtrl", true);
  o.Hotkey.IsShift = ini.ReadBool(kHotkey, "IsShift", false);
  o.Hotkey.IsAlt = ini.ReadBool(kHotkey, "IsAlt", false);
  o.Hotkey.CharString = ini.ReadString(kHotkey, "CharString", "F5");
  // Kept in 16 bits: a stored 65652 is key 116.
  o.Hotkey.CharAscII = static_cast<std::uint16_t>(ini.ReadInteger(kHotkey, "CharAscII", 116));

  o.AutoWash = ini.ReadBool(kSchedule, "AutoWash", false);
  o.WashInterval = ReadInt32(ini, kSchedule, "WashInterval", 0);
  o.StartWash = ini.ReadBool(kSchedule, "StartWash", false);
  o.ShutdownWash = ini.ReadBool(kSchedule, "ShutdownWash", false);

  catalogue.SetAll(kUnticked);
  o.SelectedCount = ReadInt32(ini, kNodeSelected, "SelectedCount", 0);
  // Keys 1 to SelectedCount, as far as the section holds them: a count edited far beyond
  // the list must not keep the program looking for keys that are not there.
  for (const std::string& key : ini.NumberedValues(kNodeSelected, 1, o.SelectedCount))
    catalogue.TickByKey(key);

  for (int slot = 0; slot < kRootSlots; ++slot)
    o.FirstNodeExpand[slot] = ini.ReadBool(kFirstNodeExpand, std::to_string(slot + 1), true);

  o.ShowLogTempInternetFiles = ini.ReadBool(kSettings, "ShowLogTempInternetFiles", false);
  o.ShowLogRecycleBin = ini.ReadBool(kSettings, "ShowLogRecycleBin", false);
  o.FastScan = ini.ReadBool(kSettings, "FastScan", true);

  o.State = WindowState::Normal;
  if (ini.ReadInteger(kWindow, "State", 1) == 3) {
    o.State = WindowState::Maximized;
    return;
  }
  o.Width = ReadScaled(ini, "Width", window.width, window.dpi);
  o.Height = ReadScaled(ini, "Height", window.height, window.dpi);
  o.Left = ReadScaled(ini, "Left", (window.screen_width - window.width) / 2, window.dpi);
  o.Top = ReadScaled(ini, "Top", (window.screen_height - window.height) / 2, window.dpi);
}

void SaveSettings(IniDocument& ini, const TOptionsSetting& o, const Catalogue& catalogue,
                  const WindowPlacement& window) {
  ini.WriteBool(kSettings, "AskForSweep", o.AskForSweep);
  ini.WriteBool(kSettings, "OverwriteFile", o.OverwriteFile);
  ini.WriteInteger(kSettings, "OverwriteNumber", o.OverwriteNumber.get());

  ini.WriteBool(kHotkey, "EnableHotkey", o.EnableHotkey);
  ini.WriteBool(kHotkey, "IsCtrl", o.Hotkey.IsCtrl);
  ini.WriteBool(kHotkey, "IsShift", o.Hotkey.IsShift);
  ini.WriteBool(kHotkey, "IsAlt", o.Hotkey.IsAlt);
  ini.Write(kHotkey, "CharString", o.Hotkey.CharString);
  ini.WriteInteger(kHotkey, "CharAscII", o.Hotkey.CharAscII);

  ini.WriteBool(kSchedule, "AutoWash", o.AutoWash);
  ini.WriteInteger(kSchedule, "WashInterval", o.WashInterval);
  ini.WriteBool(kSchedule, "StartWash", o.StartWash);
  ini.WriteBool(kSchedule, "ShutdownWash", o.ShutdownWash);

  int n = 0;
  for (const std::string& key : catalogue.TickedNodeKeys())
    ini.Write(kNodeSelected, std::to_string(++n), key);
  ini.WriteInteger(kNodeSelected, "SelectedCount", n);

  for (int slot = 0; slot < kRootSlots; ++slot)
    ini.WriteBool(kFirstNodeExpand, std::to_string(slot + 1), o.FirstNodeExpand[slot]);

  ini.WriteBool(kSettings, "ShowLogTempInternetFiles", o.ShowLogTempInternetFiles);
  ini.WriteBool(kSettings, "ShowLogRecycleBin", o.ShowLogRecycleBin);
  ini.WriteBool(kSettings, "FastScan", o.FastScan);

  if (window.show_command) ini.WriteInteger(kWindow, "State", *window.show_command);
  const auto at96 = [&](std::int32_t pixels) { return app::ScaleFromDpi(pixels, window.dpi); };
  ini.WriteInteger(kWindow, "Left", at96(window.left));
  ini.WriteInteger(kWindow, "Top", at96(window.top));
  ini.WriteInteger(kWindow, "Width", at96(window.width));
  ini.WriteInteger(kWindow, "Height", at96(window.height));
}

IniDocument ReadSettingsFile(const platform::FileSystem& files, const std::string& exe_folder) {
  auto bytes = files.ReadFile(exe_folder + kSettingsFile);
  return bytes ? IniDocument::Parse(bytes.value) : IniDocument{};
}

platform::Result<IniDocument> ReadIniForUpdate(const platform::FileSystem& files,
                                               const std::string& path, IniDocument fresh) {
  const auto bytes = files.ReadFile(path);
  if (bytes) return platform::Result<IniDocument>::Of(IniDocument::Parse(bytes.value));
  if (bytes.status.kind == platform::ErrorKind::NotFound)
    return platform::Result<IniDocument>::Of(std::move(fresh));
  return {IniDocument{}, bytes.status};
}

platform::Status WriteSettingsFile(platform::FileSystem& files, const std::string& exe_folder,
                                   const IniDocument& ini) {
  return files.WriteFile(exe_folder + kSettingsFile, ini.Serialize());
}

}  // namespace morvel
