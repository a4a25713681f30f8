// morvel.exe: the program a Windows user starts. One instance: a second start asks the
// first to come forward and ends.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/main_controller.h"
#include "app/program_state.h"
#include "gui/main_window.h"
#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_util.h"

namespace {

class RunningInstance final : public morvel::app::InstancePort {
 public:
  RunningInstance()
      : window_(FindWindowW(morvel::platform::win32::Wide(morvel::app::kMainWindowClass).c_str(),
                            nullptr)) {}
  bool MainWindowExists() const override { return window_ != nullptr; }
  void PostComeForward() override {
    PostMessageW(window_, static_cast<UINT>(morvel::app::AppMessage::ComeForward), 0, 0);
  }
  void SetForeground() override { SetForegroundWindow(window_); }

 private:
  HWND window_;
};

std::string FirstArgument() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string first;
  if (words != nullptr && count > 1) first = morvel::platform::win32::Narrow(words[1]);
  LocalFree(words);
  return first;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show_command) {
  RunningInstance running;
  if (morvel::app::HandOverToRunningInstance(running)) return 0;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_LINK_CLASS | ICC_STANDARD_CLASSES |
                                                     ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  auto machine = morvel::platform::win32::Win32Machine::Open();
  morvel::gui::WindowQuestions questions(GetCurrentThreadId());
  morvel::platform::Port port = morvel::platform::PortOf(*machine, questions);
  // The design size at the screen's DPI, for a window without a stored size.
  const int dpi = morvel::platform::win32::DpiOfWindow(nullptr);
  morvel::app::ProgramState state = morvel::app::LoadProgramState(
      port, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
             morvel::app::ScaleToDpi(morvel::kDesignWidth, dpi),
             morvel::app::ScaleToDpi(morvel::kDesignHeight, dpi), dpi});
  morvel::gui::MainWindow window(state, port, questions, FirstArgument());
  if (!window.Create(instance)) {
    MessageBoxW(nullptr, L"Morvel could not create its window.",
                morvel::platform::win32::Wide(morvel::app::kProductName).c_str(),
                MB_OK | MB_ICONERROR);
    return 1;
  }
  questions.SetWindow(window.hwnd());
  window.Show(show_command);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  window.EndRuns();
  return 0;
}
