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
#include "app/queued_run_host.h"
#include "app/run_keeper.h"
#include "gui/base/scoped.h"
#include "gui/window_questions.h"

namespace morvel::gui {

class MainWindow final : public app::MainView, public app::HotKeyPort {
 public:
  MainWindow(app::ProgramState& state, platform::Port& port, WindowQuestions& questions,
             std::string first_argument);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window with every control (hidden until Show);
  // false when any of them could not be created.
  bool Create(HINSTANCE instance);
  void Show(int show_command);
  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  // The message loop's part: shortcuts, then Tab, Enter and mnemonics among the controls.
  bool PreTranslate(MSG& msg);
  // After the message loop: every run detached and ended.
  void EndRuns();

  // MainView
  void ShowMessage(std::string_view text) override;
  app::AskAnswer AskBeforeCleaning() override;
  void OpenCustomListsEditor(app::CustomListEditor& editor) override;
  void OpenSettings(app::OptionsDialog& dialog) override;
  std::string ProgramPath() const override;
  std::optional<std::string> AskSaveFileName(std::string_view folder,
                                             std::string_view name) override;
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
  void WaitWhile(const std::function<bool()>& busy) override;
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
  void CreateFonts();
  void CreateControls();
  void FillTree();
  void SyncTreeStates();
  void OnTreeNotify(const NMHDR& header);
  void OnCommand(int id);
  void OnActivate(bool active);
  void OnAppMessage(app::AppMessage message, WPARAM wparam, LPARAM lparam);
  void Layout();
  void Paint();
  void DrainRun(std::uint32_t serial);
  void FlushLog(bool force);
  int TextWidth(HWND control, std::wstring_view text) const;
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  std::unique_ptr<app::RunHostBase> MakeHost(std::uint32_t serial);

  app::ProgramState& state_;
  platform::Port& port_;
  WindowQuestions& questions_;
  const std::string first_argument_;
  app::RunKeeper keeper_;
  app::BossKey boss_key_;
  app::MainController controller_;
  app::QueuedRunHost* current_host_ = nullptr;

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HACCEL accelerators_ = nullptr;
  ScopedFont font_, title_font_, hint_font_;
  ScopedBitmap title_picture_;
  ScopedIcon icon_, small_icon_;
  int dpi_ = app::kDesignDpi;
  app::MainLayout design_;
  HWND focus_ = nullptr;  // the control that had the focus when the window was left

  std::vector<std::string> log_;
  std::vector<std::wstring> pending_log_;  // taken from the run, not yet in the list box
  bool log_hidden_ = false;
  bool log_buffered_ = false;
  DWORD last_log_paint_ = 0;
  bool tray_icon_ = false;
  bool activated_once_ = false;
  LONG_PTR saved_ex_style_ = 0;
};

}  // namespace morvel::gui
