// Times the start of morvel.exe: from CreateProcess until its main window shows, then
// closes it; the median of ROUNDS starts as "start_ms=...".
//   morvel_start_bench FOLDER [ROUNDS]   (FOLDER holds morvel.exe and what it reads)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/product.h"

namespace {

// Milliseconds until the main window is visible; negative when it never shows.
double TimeOneStart(const std::wstring& folder) {
  std::wstring command = L"\"" + folder + L"\\morvel.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi))
    return -1;
  const std::string_view name = morvel::app::kMainWindowClass;
  const std::wstring main_class(name.begin(), name.end());
  HWND main = nullptr;
  double ms = -1;
  for (int i = 0; i < 6000; ++i) {
    main = FindWindowW(main_class.c_str(), nullptr);
    if (main != nullptr && IsWindowVisible(main)) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
      break;
    }
    Sleep(5);
  }
  if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: morvel_start_bench FOLDER [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double ms = TimeOneStart(argv[1]);
    if (ms < 0) return 1;
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("start_ms=%.1f\n", times[times.size() / 2]);
  return 0;
}
