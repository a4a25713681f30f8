// Times the index.dat viewer of morvel.exe with a large file: opening it from the menu,
// reading the file with Show, and scrolling its list, while asking the program for an answer
// (SendMessageTimeout) all the while; reports each time, the slowest answer and the peak
// working set.
//   viewer_bench generate FILE [RECORDS] [shuffled]   writes an index.dat (200,000 records)
//   viewer_bench run FOLDER FILE                      FOLDER holds morvel.exe
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/product.h"
#include "gui/resource.h"
#include "tests/bench/index_dat_sample.h"
#include "tests/bench_win32/start_program.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

std::wstring Wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

// The program's answers: the slowest round trip of a message sent to it.
struct Answers {
  double slowest = 0;
  int unanswered = 0;
  void Ask(HWND window) {
    const auto asked = Clock::now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++unanswered;
    slowest = std::max(slowest, Ms(asked));
  }
};

// Asks `window` for an answer every few milliseconds until `done`; false after 60 s.
bool AskUntil(HWND window, Answers& answers, const std::function<bool()>& done) {
  const auto start = Clock::now();
  while (!done()) {
    if (Ms(start) > 60000) return false;
    answers.Ask(window);
    Sleep(5);
  }
  return true;
}

// Sends the menu command and waits for the dialog `caption` to show and answer; the time it
// took goes into `times`. Null after 30 s.
HWND OpenFromMenu(HWND main, int command, const std::wstring& caption, std::vector<double>& times) {
  const auto opening = Clock::now();
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  HWND dialog = nullptr;
  while ((dialog = FindWindowW(L"#32770", caption.c_str())) == nullptr ||
         !IsWindowVisible(dialog)) {
    if (Ms(opening) > 30000) return nullptr;
    Sleep(1);
  }
  Answers open;
  open.Ask(dialog);  // shown and its first messages handled
  RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  times.push_back(Ms(opening));
  return dialog;
}

void Close(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  while (IsWindow(dialog)) Sleep(1);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int Run(const std::wstring& folder, const std::wstring& file) {
  PROCESS_INFORMATION pi{};
  HWND main = morvel::bench::StartProgram(folder, pi);
  if (main == nullptr) return 1;
  Answers idle;
  idle.Ask(main);

  // Opening, five times each: the viewer, and the About box as the floor that Wine and the X
  // server put under any dialog (its window mapped and painted).
  const std::wstring caption = Wide(MORVEL_INDEXDAT_CAPTION);
  std::vector<double> about_ms, open_ms;
  HWND dialog = nullptr;
  for (int i = 0; i < 5; ++i) {
    HWND about = OpenFromMenu(main, ID_HELP_ABOUT, L"About Morvel", about_ms);
    if (about == nullptr) return 1;
    Close(about);
    dialog = OpenFromMenu(main, ID_FILE_INDEXDAT, caption, open_ms);
    if (dialog == nullptr) return 1;
    if (i < 4) Close(dialog);
  }

  HWND list = GetDlgItem(dialog, IDC_IDX_LIST);
  HWND total = GetDlgItem(dialog, IDC_IDX_TOTAL);
  SendMessageW(GetDlgItem(dialog, IDC_IDX_FILENAME), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(file.c_str()));
  Answers reading;
  const auto read_start = Clock::now();
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_IDX_SHOW, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IDX_SHOW)));
  if (!AskUntil(dialog, reading, [&] { return TextOf(total) != L"0"; })) return 1;
  const double read_ms = Ms(read_start);
  const auto rows = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);

  // Scrolling: each step repainted before the next; the slowest step.
  Answers scrolling;
  double slowest_scroll = 0;
  const auto step = [&](const std::function<void()>& move) {
    const auto start = Clock::now();
    move();
    RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
    scrolling.Ask(dialog);
    slowest_scroll = std::max(slowest_scroll, Ms(start));
  };
  const auto scroll = [&](WPARAM how) { step([&] { SendMessageW(list, WM_VSCROLL, how, 0); }); };
  for (int i = 0; i < 20; ++i) scroll(SB_PAGEDOWN);
  scroll(SB_BOTTOM);
  for (int i = 0; i < 20; ++i) scroll(SB_PAGEUP);
  for (LRESULT row : {rows / 2, rows / 3, rows - 1, LRESULT{0}, rows * 3 / 4})
    step([&] { SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE); });
  scroll(SB_TOP);

  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters);
  std::printf("viewer: %ld rows\n", static_cast<long>(rows));
  std::printf("  open from the menu        %8.1f ms median of 5, slowest %.1f ms\n",
              Median(open_ms), *std::max_element(open_ms.begin(), open_ms.end()));
  std::printf("  the About box, for scale  %8.1f ms median of 5, slowest %.1f ms\n",
              Median(about_ms), *std::max_element(about_ms.begin(), about_ms.end()));
  std::printf("  read (Show to total)      %8.1f ms, slowest answer %.1f ms, unanswered %d\n",
              read_ms, reading.slowest, reading.unanswered);
  std::printf("  slowest scroll step       %8.1f ms (47 steps), slowest answer %.1f ms\n",
              slowest_scroll, scrolling.slowest);
  std::printf("  peak working set          %8.1f MB\n", counters.PeakWorkingSetSize / 1048576.0);
  const double worst =
      std::max({Median(open_ms), reading.slowest, slowest_scroll, scrolling.slowest});
  std::printf("  worst of open (median), scroll and answers %.1f ms (target: within 100 ms)\n",
              worst);

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return reading.unanswered + scrolling.unanswered == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"generate" && argc >= 3) {
    const auto records =
        static_cast<std::uint32_t>(argc > 3 ? std::max(1, _wtoi(argv[3])) : 200000);
    const bool shuffled = argc > 4 && std::wstring(argv[4]) == L"shuffled";
    std::ofstream(argv[2], std::ios::binary) << morvel::bench::MakeIndexDat(records, shuffled);
    return 0;
  }
  if (mode == L"run" && argc >= 4) return Run(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: viewer_bench generate FILE [RECORDS] [shuffled] | run FOLDER FILE\n");
  return 2;
}
