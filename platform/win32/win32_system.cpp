#include "platform/win32/win32_system.h"

#include <string>

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
};

class Win32WindowSystem final : public WindowSystem {
 public:
  bool TopLevelWindowExists(std::string_view class_name) const override {
    if (class_name.empty()) return false;
    return FindWindowW(Wide(class_name).c_str(), nullptr) != nullptr;
  }
};

}  // namespace

std::unique_ptr<SystemInfo> MakeWin32SystemInfo() { return std::make_unique<Win32SystemInfo>(); }

std::unique_ptr<WindowSystem> MakeWin32WindowSystem() {
  return std::make_unique<Win32WindowSystem>();
}

}  // namespace morvel::platform::win32
