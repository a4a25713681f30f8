#pragma once
// What the window benchmarks share: morvel.exe of a folder started there, and its main
// window once it shows.

#include <windows.h>

#include <string>
#include <string_view>

#include "app/product.h"

namespace morvel::bench {

// Starts FOLDER\morvel.exe in FOLDER; its main window once visible, or null (after 30 s, or
// when it cannot be started). `process` is filled either way.
inline HWND StartProgram(const std::wstring& folder, PROCESS_INFORMATION& process) {
  std::wstring command = L"\"" + folder + L"\\morvel.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &process))
    return nullptr;
  const std::string_view name = app::kMainWindowClass;
  const std::wstring main_class(name.begin(), name.end());
  HWND main = nullptr;
  for (int i = 0; i < 600 && (main == nullptr || !IsWindowVisible(main)); ++i) {
    Sleep(50);
    main = FindWindowW(main_class.c_str(), nullptr);
  }
  return main;
}

}  // namespace morvel::bench
