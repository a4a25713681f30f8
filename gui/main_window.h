#pragma once
// frmMain: the program's main window. It turns controls and window messages into calls on
// the shared controller and shows what the controller tells it; no decision lives here.

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/boss_key.h"
#include "app/main_controller.h"
#include "app/main_layout.h"
#include "app/run_keeper.h"
#include "gui/window_questions.h"
#include "gui/window_run_host.h"

namespace morvel::gui {

inline constexpr UINT_PTR kTimer1 = 1;      // progress animation
inline constexpr UINT_PTR kTimer2 = 2;      // schedule
inline constexpr UINT_PTR kFlushTimer = 3;  // log lines waiting for the list box
inline constexpr DWORD kLogPaintEveryMs = 100;

class MainWindow final : public app::MainView, public app::HotKeyPort {
 public:
  MainWindow(app::ProgramState& state, platform::Port& port, WindowQuestions& questions,
             std::string first_argument);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window (hidden until Show).
  bool Create(HINSTANCE instance);
  void Show(int show_command);
  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  [[nodiscard]] HACCEL accelerators() const { return accelerators_; }
  // After the message loop: every run detached and ended.
  void EndRuns();

  // MainView
  void ShowMessage(std::string_view text) override;
  bool AskBeforeCleaning() override;
  std::optional<std::string> AskSaveFileName() override;
  void SetTestCaption(std::string_view caption) override;
  void ShowProgressArea() override;
  void SetProgressPosition(int position) override;
  void SetProgressCaption(std::string_view caption) override;
  void ShowProgressCaption(bool show) override;
  void SetTotalTitle(std::string_view title) override;
  void SetNumber(std::string_view number) override;
  void SetFastModeBox(bool ticked) override;
  void ClearLog() override;
  void SetLogHidden(bool hidden) override;
  void SetLogBuffered(bool buffered) override;
  void FinishLog() override;
  std::vector<std::string> LogLines() const override { return log_; }
  void AddLogLine(std::string_view line) override;
  void SetProgressTimer(bool on) override;
  void SetScheduleTimer(bool on, std::int32_t interval_ms) override;
  void Post(app::AppMessage message) override;
  void PostStartupMinimize() override;
  void ApplyGeometry(bool maximized, std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height) override;
  void SaveSettings() override;
  void CloseWindow() override;
  void SetTrayIcon(bool add) override;
  void MinimizeToTray() override;
  void ShowMainWindow() override;
  bool WindowMinimized() const override;
  void RestoreApplication() override;
  void BringToFront() override;
  void ShowTrayMenu() override;

  // HotKeyPort
  std::uint16_t AddAtom(std::string_view name) override;
  std::uint16_t FindAtom(std::string_view name) override;
  void DeleteAtom(std::uint16_t atom) override;
  bool RegisterHotKey(std::uint16_t id, unsigned modifiers, std::uint16_t key) override;
  void UnregisterHotKey(std::uint16_t id) override;
  void ShowError(std::string_view text) override;
  void ShowBrowsers(bool hide) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCreate();
  void CreateControls();
  void FillTree();
  void SyncTreeStates();
  void OnTreeNotify(const NMHDR& header);
  void OnCommand(int id);
  void Layout();
  void Paint();
  void DrainRun(std::uint32_t serial);
  void FlushLog(bool force);
  int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  void OpenShell(const std::wstring& target) const;
  std::unique_ptr<app::RunHostBase> MakeHost(std::uint32_t serial);

  app::ProgramState& state_;
  platform::Port& port_;
  WindowQuestions& questions_;
  const std::string first_argument_;
  app::RunKeeper keeper_;
  app::BossKey boss_key_;
  app::MainController controller_;
  WindowRunHost* current_host_ = nullptr;

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HFONT font_ = nullptr, title_font_ = nullptr, hint_font_ = nullptr;
  HBITMAP title_picture_ = nullptr;
  HICON icon_ = nullptr, small_icon_ = nullptr;
  int dpi_ = 96;
  app::MainLayout design_;

  std::vector<std::string> log_;
  std::vector<std::wstring> pending_log_;  // taken from the run, not yet in the list box
  bool log_hidden_ = false;
  bool log_buffered_ = false;
  DWORD last_log_paint_ = 0;
  std::wstring progress_caption_;
  bool caption_shown_ = false;
  bool tray_icon_ = false;
  bool activated_once_ = false;
  LONG_PTR saved_ex_style_ = 0;
};

}  // namespace morvel::gui
