#include "platform/win32/win32_dynamic.h"

namespace morvel::platform::win32 {

Library Library::Load(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without its loader update does not know the flag.
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(name);
  return Library(module, true);
}

Library Library::Loaded(const wchar_t* name) { return Library(GetModuleHandleW(name), false); }

int DpiOfWindow(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window =
      Library::Loaded(L"user32.dll").Find<DpiForWindow>("GetDpiForWindow");
  int dpi = dpi_for_window != nullptr ? static_cast<int>(dpi_for_window(window)) : 0;
  if (dpi <= 0) {
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

}  // namespace morvel::platform::win32
