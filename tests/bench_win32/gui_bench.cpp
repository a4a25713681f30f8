// Times a Test run of morvel.exe through its window: presses Test, asks the window for an
// answer (SendMessageTimeout, 1 s) all through the run, and reports the run's time, the
// slowest answer, the log's length and the process's peak working set.
//   morvel_gui_bench FOLDER     (FOLDER holds morvel.exe, settings.ini and the lists)
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "gui/resource.h"
#include "tests/bench_win32/start_program.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: morvel_gui_bench FOLDER\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  PROCESS_INFORMATION pi{};
  HWND main = morvel::bench::StartProgram(folder, pi);
  if (main == nullptr) return 1;
  HWND test = GetDlgItem(main, IDC_TEST), progress = GetDlgItem(main, IDC_PROGRESS);
  const auto text = [](HWND w) {
    wchar_t t[64] = {};
    GetWindowTextW(w, t, 64);
    return std::wstring(t);
  };
  const auto start = std::chrono::steady_clock::now();
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_TEST, BN_CLICKED), reinterpret_cast<LPARAM>(test));
  double slowest = 0;
  int unanswered = 0;
  while (!(text(progress) == L"Finished!" && text(test) == L"&Test")) {
    const auto asked = std::chrono::steady_clock::now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++unanswered;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
    if (ms > slowest) slowest = ms;
    Sleep(20);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const LRESULT lines = SendMessageW(GetDlgItem(main, IDC_LOG), LB_GETCOUNT, 0, 0);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters);
  std::printf(
      "gui test run: %.2f s, %ld log lines, slowest answer %.0f ms, unanswered %d, "
      "peak working set %.1f MB\n",
      seconds, static_cast<long>(lines), slowest, unanswered,
      counters.PeakWorkingSetSize / 1048576.0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
