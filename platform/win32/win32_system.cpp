#include "platform/win32/win32_system.h"

#include <optional>
#include <string>

#include "platform/win32/win32_system_facts.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

class Win32SystemInfo final : public SystemInfo {
 public:
  std::string ExecutableFolder() const override {
    // The module path may exceed MAX_PATH; grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return {};
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(path.size() * 2);
    }
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {};
    path.resize(cut);
    return Narrow(path) + "\\";
  }

  WindowsVersion Version() const override {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    WindowsVersion version;
    if (!GetVersionExW(&info)) return version;
    version.family =
        info.dwPlatformId == VER_PLATFORM_WIN32_NT ? WindowsFamily::Nt : WindowsFamily::Win9x;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    return version;
  }

  std::string ComputerName() const override {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &length) ? Narrow(std::wstring_view(name, length))
                                           : std::string();
  }

  std::string UserName() const override {
    wchar_t name[257];  // UNLEN + 1
    DWORD length = 257;
    // The length counts the terminating zero.
    return GetUserNameW(name, &length) && length > 0 ? Narrow(std::wstring_view(name, length - 1))
                                                     : std::string();
  }

  std::optional<CalendarTime> FileTimeToLocalCalendar(std::uint64_t filetime) const override {
    const FILETIME utc{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields))
      return std::nullopt;
    return CalendarTime{fields.wYear, fields.wMonth,  fields.wDayOfWeek, fields.wDay,
                        fields.wHour, fields.wMinute, fields.wSecond,    fields.wMilliseconds};
  }

  std::string FormatShortDate(const CalendarTime& time) const override {
    const SYSTEMTIME fields = ToSystemTime(time);
    wchar_t text[256];
    const int length =
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &fields, nullptr, text, 256);
    return length > 0 ? Narrow(std::wstring_view(text, length - 1)) : std::string();
  }

  std::string FormatLongTime(const CalendarTime& time) const override {
    const SYSTEMTIME fields = ToSystemTime(time);
    wchar_t text[256];
    const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &fields, nullptr, text, 256);
    return length > 0 ? Narrow(std::wstring_view(text, length - 1)) : std::string();
  }

  std::string WindowsFolder() const override { return WindowsFolderPath(); }

  std::string SystemFolder() const override { return SystemFolderPath(); }

  std::string TempFolder() const override { return TempFolderPath(); }

  DriveType DriveTypeOf(char letter) const override { return DriveTypeOfRoot(letter); }

  std::string SpecialFolderPath(SpecialFolder folder) const override {
    return SpecialFolderLookup(folder);
  }

  std::vector<std::string> UserDataFolders() const override { return UserDataFolderPaths(); }

  void EndBrowserSession() override { EndWinInetBrowserSession(); }

  bool IsAdministrator() const override { return TokenHoldsAdministrators(); }

 private:
  static SYSTEMTIME ToSystemTime(const CalendarTime& t) {
    return SYSTEMTIME{t.year, t.month,  t.day_of_week, t.day,
                      t.hour, t.minute, t.second,      t.milliseconds};
  }
};

class Win32WindowSystem final : public WindowSystem {
 public:
  bool TopLevelWindowExists(std::string_view class_name) const override {
    if (class_name.empty()) return false;
    return FindWindowW(Wide(class_name).c_str(), nullptr) != nullptr;
  }

  Status EmptyClipboard() override {
    if (!OpenClipboard(nullptr)) return Status::Error(ErrorKind::Other, GetLastError());
    const ClipboardCloser close;
    if (!::EmptyClipboard()) return Status::Error(ErrorKind::Other, GetLastError());
    return Status::Ok();
  }

 private:
  struct ClipboardCloser {
    ClipboardCloser() = default;
    ClipboardCloser(const ClipboardCloser&) = delete;
    ClipboardCloser& operator=(const ClipboardCloser&) = delete;
    ~ClipboardCloser() { CloseClipboard(); }
  };
};

}  // namespace

std::unique_ptr<SystemInfo> MakeWin32SystemInfo() { return std::make_unique<Win32SystemInfo>(); }

std::unique_ptr<WindowSystem> MakeWin32WindowSystem() {
  return std::make_unique<Win32WindowSystem>();
}

}  // namespace morvel::platform::win32
