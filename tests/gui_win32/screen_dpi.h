#pragma once
// The screen DPI Wine gives the programs a test starts.

#include <windows.h>

namespace morvel::testing::gui {

// Wine's screen DPI for the programs started while this lives.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_,
                        &size) == ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  ~ScreenDpi() {
    if (had_)
      RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &old_, sizeof old_);
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  static constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
  DWORD old_ = 96;
  bool had_ = false;
};

}  // namespace morvel::testing::gui
