#pragma once
// Facts about the machine, the process and the desktop that the program asks about.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace morvel::platform {

enum class WindowsFamily { Nt, Win9x };

// Calendar fields of a moment, as Windows' SYSTEMTIME holds them.
struct CalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;        // 1..12
  std::uint16_t day_of_week = 0;  // 0 Sunday .. 6 Saturday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

// CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_INTERNET_CACHE, CSIDL_RECENT, CSIDL_COOKIES,
// CSIDL_HISTORY; then the folders programs of today keep their data in, as the shell's
// known folders name them: the profile (CSIDL_PROFILE), local application data
// (CSIDL_LOCAL_APPDATA), its low-integrity twin (FOLDERID_LocalAppDataLow, Vista and later),
// the machine's application data (CSIDL_COMMON_APPDATA, "C:\ProgramData"), the public
// profile (FOLDERID_Public, Vista and later), music, pictures and videos (CSIDL_MYMUSIC,
// CSIDL_MYPICTURES, CSIDL_MYVIDEO).
enum class SpecialFolder {
  Personal,
  AppData,
  InternetCache,
  Recent,
  Cookies,
  History,
  Profile,
  LocalAppData,
  LocalLowAppData,
  CommonAppData,
  Public,
  Music,
  Pictures,
  Videos,
};

// What GetDriveType reports for a drive's root.
enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

struct WindowsVersion {
  WindowsFamily family = WindowsFamily::Nt;
  unsigned major = 6;
  unsigned minor = 1;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The folder of the running program with a trailing "\": where settings.ini,
  // Morvel.dat, Clist.dat and Cookies.dat live.
  [[nodiscard]] virtual std::string ExecutableFolder() const = 0;

  [[nodiscard]] virtual WindowsVersion Version() const = 0;

  // The computer's name (GetComputerName) and the user's logon name (GetUserName), as a
  // run report names them; empty text when the call fails.
  [[nodiscard]] virtual std::string ComputerName() const = 0;
  [[nodiscard]] virtual std::string UserName() const = 0;

  // A FILETIME (UTC) in the user's local time, as calendar fields: FileTimeToLocalFileTime
  // (with the current time zone bias) then FileTimeToSystemTime. nullopt when either fails.
  [[nodiscard]] virtual std::optional<CalendarTime> FileTimeToLocalCalendar(
      std::uint64_t filetime) const = 0;

  // The date in the user's short date format (GetDateFormat, LOCALE_USER_DEFAULT,
  // DATE_SHORTDATE); empty text on failure.
  [[nodiscard]] virtual std::string FormatShortDate(const CalendarTime& time) const = 0;

  // The time in the user's long time format (GetTimeFormat, LOCALE_USER_DEFAULT); empty
  // text on failure.
  [[nodiscard]] virtual std::string FormatLongTime(const CalendarTime& time) const = 0;

  // The Windows folder (GetWindowsDirectory), without a trailing "\".
  [[nodiscard]] virtual std::string WindowsFolder() const = 0;

  // The system folder (GetSystemDirectory), without a trailing "\": on 64-bit Windows the
  // name "<Windows>\System32" in either width, which the file system port takes as the
  // 64-bit system's own folder.
  [[nodiscard]] virtual std::string SystemFolder() const = 0;

  // The temporary folder as GetTempPath writes it into a buffer of 254 characters: with a
  // trailing "\"; empty text when the call fails or the path does not fit.
  [[nodiscard]] virtual std::string TempFolder() const = 0;

  // GetDriveType of the root "<letter>:\"; NoRootDir for a letter no drive has.
  [[nodiscard]] virtual DriveType DriveTypeOf(char letter) const = 0;

  // The folder's path without a trailing "\"; empty text when the lookup fails.
  [[nodiscard]] virtual std::string SpecialFolderPath(SpecialFolder folder) const = 0;

  // The folders that hold the user's own files, each without a trailing "\": the profile,
  // Desktop, Documents, Pictures, Music, Videos, Downloads and the roaming and local
  // application-data roots. A folder the lookup cannot find is left out. Used to refuse
  // emptying a folder that another program's data names, never to find what to clean.
  [[nodiscard]] virtual std::vector<std::string> UserDataFolders() const = 0;

  // Ends WinINet's browser session (InternetSetOption with no handle and
  // INTERNET_OPTION_END_BROWSER_SESSION), as is done before every special-folder lookup
  // through the shell's item lists.
  virtual void EndBrowserSession() = 0;

  // Whether the process belongs to the built-in Administrators group.
  [[nodiscard]] virtual bool IsAdministrator() const = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Whether a top-level window of this class exists (FindWindow with no title).
  [[nodiscard]] virtual bool TopLevelWindowExists(std::string_view class_name) const = 0;

  // Opens the clipboard, empties it and closes it again.
  virtual Status EmptyClipboard() = 0;
};

}  // namespace morvel::platform
