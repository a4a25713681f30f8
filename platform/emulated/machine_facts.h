#pragma once
// The facts of machine.ini: Windows version, administrator, special folders, drives,
// files in use and open windows. Every key is optional; the defaults describe a Windows 7
// machine whose user "User" is an administrator.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emulated/locale_format.h"
#include "platform/emulated/windows_path.h"
#include "platform/system_info.h"

namespace morvel::platform::emulated {

// The [Folders] keys, in the order kMachineFolderKeys names them.
enum class MachineFolder {
  Windows,
  System,
  Temp,
  Personal,
  AppData,
  Recent,
  InternetCache,
  Cookies,
  History,
  Executable,
  Profile,
  Desktop,
  Pictures,
  Music,
  Videos,
  Downloads,
  LocalAppData,
  ProgramData,
  Public,
  LocalLowAppData,
};
inline constexpr std::size_t kMachineFolderCount = 20;
inline constexpr std::array<std::string_view, kMachineFolderCount> kMachineFolderKeys = {
    "Windows", "System",    "Temp",         "Personal",    "AppData", "Recent",   "InternetCache",
    "Cookies", "History",   "Executable",   "Profile",     "Desktop", "Pictures", "Music",
    "Videos",  "Downloads", "LocalAppData", "ProgramData", "Public",  "LocalLow"};

enum class DriveType { None, Fixed, Removable, CdRom, Remote, RamDisk };

struct MachineFacts {
  WindowsVersion version;  // NT 6.1
  bool administrator = true;
  std::string computer_name = "MORVEL-PC";  // [System] ComputerName
  std::string user_name = "User";           // [System] UserName
  // Absolute Windows paths without a trailing "\" (except a drive root "C:\").
  std::array<std::string, kMachineFolderCount> folders;
  std::array<DriveType, 26> drives{};       // by letter, A first; only C is Fixed by default
  std::vector<WindowsPath> locked;          // files in use, in file order
  std::vector<std::string> window_classes;  // open top-level windows
  LocaleFacts locale;                       // time zone bias, date and time formats

  // Defaults alone, as for an image without machine.ini.
  MachineFacts();

  [[nodiscard]] const std::string& Folder(MachineFolder which) const {
    return folders[static_cast<std::size_t>(which)];
  }
  // DriveType::None for a letter the machine lacks or that is not a letter.
  [[nodiscard]] DriveType Drive(char letter) const;
  [[nodiscard]] bool IsLocked(const WindowsPath& path) const;
  // Without regard to case, as Windows matches window class names.
  [[nodiscard]] bool HasWindowClass(std::string_view class_name) const;
};

// Reads machine.ini's bytes (UTF-8, or UTF-16 with a byte-order mark). Throws
// MachineImageError "<display_name>:<line>: <what>" for a value it cannot read, and for
// bytes that are not text (a zero byte or other control character, invalid UTF-8).
MachineFacts ParseMachineFacts(std::string_view bytes, std::string_view display_name);

}  // namespace morvel::platform::emulated
