#pragma once
// settings.ini: the settings record, the catalogue's ticks and expansion, and the main
// window's geometry, in the Windows profile format.

#include <optional>
#include <string>

#include "common/ini_file.h"
#include "engine/catalogue.h"
#include "engine/options_setting.h"
#include "platform/file_system.h"

namespace morvel {

inline constexpr const char* kSettingsFile = "settings.ini";

// The window's geometry is stored in pixels at 96 DPI, as a window of 96 DPI measures it,
// and scaled to and from the DPI the window has: a window saved at 144 DPI comes back at
// its size, not half as large again, at 96.

// What the window geometry defaults are computed from when settings.ini lacks them, in
// pixels at `dpi`, the DPI the window will have.
struct WindowDefaults {
  std::int32_t screen_width = 1024;
  std::int32_t screen_height = 768;
  std::int32_t width = kDesignWidth;  // the window's current size
  std::int32_t height = kDesignHeight;
  int dpi = 96;
};

// The main window as it is when the settings are saved, in pixels at its `dpi`.
struct WindowPlacement {
  std::optional<int> show_command;  // 1 normal, 2 minimized, 3 maximized; nullopt if unreadable
  std::int32_t left = 0, top = 0, width = kDesignWidth, height = kDesignHeight;
  int dpi = 96;
};

// Reads everything in the stored order; missing keys and unreadable numbers give defaults.
// Every node is unticked first, then the stored keys are ticked.
void LoadSettings(const IniDocument& ini, TOptionsSetting& options, Catalogue& catalogue,
                  const WindowDefaults& window);

// Writes everything in the stored order onto `ini` (keys updated in place, missing ones
// appended); the NodeSelected section is not erased first.
void SaveSettings(IniDocument& ini, const TOptionsSetting& options, const Catalogue& catalogue,
                  const WindowPlacement& window);

// settings.ini in `exe_folder`, read through the port; a missing or unreadable file is an
// empty document.
IniDocument ReadSettingsFile(const platform::FileSystem& files, const std::string& exe_folder);

// An INI file of the program's to be changed and written back whole, as it stands now:
// `fresh` when there is none, the read's failure when it is there but cannot be read
// (written over, whatever else it holds would be lost).
platform::Result<IniDocument> ReadIniForUpdate(const platform::FileSystem& files,
                                               const std::string& path, IniDocument fresh = {});

// Writes the document back as a whole (the port replaces the file atomically). A failed
// write is not reported to the user; the status tells the caller.
platform::Status WriteSettingsFile(platform::FileSystem& files, const std::string& exe_folder,
                                   const IniDocument& ini);

}  // namespace morvel
