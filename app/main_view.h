#pragma once
// What the main window's controller asks of a front end. The Win32 window implements it
// with controls and window messages, the command line with its streams, tests with a
// recorder. No decision lives behind this interface.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_mode.h"

namespace morvel::app {

class CustomListEditor;
class OptionsDialog;

// The application's own window messages, as the main window receives them.
enum class AppMessage : std::uint32_t {
  UnattendedRun = 0x3407,  // start an unattended run
  RunEnded = 0x3409,       // wParam: run total
  Progress = 0x3410,       // wParam: running total
  RemovalPass = 0x3411,    // start the removal pass of an interactive Clean
  ComeForward = 0x3412,    // a second instance asks this one to come forward
  TrayCallback = 0x3416,   // lParam: the mouse message
  // Not part of the fixed range: a run ended through an error that escaped a cleaner.
  RunFailed = 0x3420,
};

// A started run as the controller sees it: the stop request, and why it failed.
class RunHandle {
 public:
  virtual ~RunHandle() = default;
  virtual void Terminate() = 0;
  // The error that ended the run early (after RunFailed); empty otherwise.
  [[nodiscard]] virtual std::string Failure() const = 0;
};

// What the confirmation before a removing run answered: whether to go on, and whether its
// "Don't show me this message again" box was ticked when it closed (whatever button).
struct AskAnswer {
  bool proceed = false;
  bool dont_show_again = false;
};

// Starts a run of `keys` in `mode` as `flags` say; `serial` travels with every message the
// run posts so that messages of a cancelled run are told apart from those of the active one.
using RunLauncher = std::function<std::shared_ptr<RunHandle>(
    RunMode mode, RunFlags flags, std::vector<std::string> keys, std::uint32_t serial)>;

class MainView {
 public:
  virtual ~MainView() = default;

  // Message box with caption "Morvel" and the information icon.
  virtual void ShowMessage(std::string_view text) = 0;
  // frmAskDelete, modal. A dialog that cannot be shown answers "do not proceed".
  virtual AskAnswer AskBeforeCleaning() = 0;
  // The custom lists editor (frmNewCustomItem) over `editor`, modal; the editor has saved
  // Clist.dat when it closed with OK.
  virtual void OpenCustomListsEditor(CustomListEditor& editor) = 0;
  // The settings dialog (frmOptions) over `dialog`, modal; dialog.accepted() then tells
  // what OK accepted, if it closed with OK.
  virtual void OpenSettings(OptionsDialog& dialog) = 0;
  // The program's full path, for the autorun entry.
  [[nodiscard]] virtual std::string ProgramPath() const = 0;
  // The save dialog ("Save as Text", "Text files (*.txt)|*.txt") in `folder` (the current
  // one when empty) with `name` filled in; nullopt when cancelled.
  virtual std::optional<std::string> AskSaveFileName(std::string_view folder,
                                                     std::string_view name) = 0;

  virtual void SetTestCaption(std::string_view caption) = 0;
  // Shows the progress bar and the current-item and counter labels.
  virtual void ShowProgressArea() = 0;
  virtual void SetProgressPosition(int position) = 0;  // 0..1000
  virtual void SetProgressCaption(std::string_view caption) = 0;
  virtual void ShowProgressCaption(bool show) = 0;
  virtual void SetTotalTitle(std::string_view title) = 0;
  virtual void SetNumber(std::string_view number) = 0;
  virtual void SetFastModeBox(bool ticked) = 0;

  virtual void ClearLog() = 0;
  // Font colour = background colour: the preparation pass's log cannot be seen.
  virtual void SetLogHidden(bool hidden) = 0;
  // Double-buffering (redraw batching) of the log while a run is active.
  virtual void SetLogBuffered(bool buffered) = 0;
  // Run end: horizontal extent from the widest line, scroll to the last line.
  virtual void FinishLog() = 0;
  [[nodiscard]] virtual std::vector<std::string> LogLines() const = 0;
  // A line of the window's own (a run writes through its host).
  virtual void AddLogLine(std::string_view line) = 0;

  virtual void SetProgressTimer(bool on) = 0;                            // Timer1, 500 ms
  virtual void SetScheduleTimer(bool on, std::int32_t interval_ms) = 0;  // Timer2
  virtual void Post(AppMessage message) = 0;
  // Posts the minimize-to-tray of a "-Start" start-up (lParam 1).
  virtual void PostStartupMinimize() = 0;
  virtual void ApplyGeometry(bool maximized, std::int32_t left, std::int32_t top,
                             std::int32_t width, std::int32_t height) = 0;
  // settings.ini from the record, the catalogue and the window's current placement.
  virtual void SaveSettings() = 0;
  virtual void CloseWindow() = 0;
  // Handles the front end's messages until `busy` turns false (Windows ends the process
  // once the session's end is answered, so a shut-down clean is waited for here).
  virtual void WaitWhile(const std::function<bool()>& busy) = 0;

  // Tray and application window.
  virtual void SetTrayIcon(bool add) = 0;
  virtual void MinimizeToTray() = 0;  // minimize towards the tray and hide
  virtual void ShowMainWindow() = 0;
  [[nodiscard]] virtual bool WindowMinimized() const = 0;
  virtual void RestoreApplication() = 0;
  virtual void BringToFront() = 0;
  virtual void ShowTrayMenu() = 0;
};

}  // namespace morvel::app
