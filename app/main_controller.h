#pragma once
// The main window's decisions: run modes and the busy flag, the two-pass Clean with its
// hidden preparation pass, progress arithmetic, the Firefox refusal, the confirmation,
// saving the log, activation with the command line and the schedule, shut-down, the tray
// and closing. Both front ends drive it: the window from its messages, the command line
// from a loop over the same messages.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/boss_key.h"
#include "app/main_view.h"
#include "app/options_dialog.h"
#include "app/product.h"
#include "app/program_state.h"
#include "app/run_outcome.h"
#include "engine/run_mode.h"
#include "platform/port.h"

namespace morvel::app {

inline constexpr std::string_view kEmptySelection =
    "Please select items you want to clear from the left list firstly.";
inline constexpr std::string_view kCloseFirefox = "Please close Mozilla Firefox firstly!";
inline constexpr std::string_view kPrepareCaption = "Prepare to clean...";
inline constexpr std::string_view kFinishedCaption = "Finished!";

// The first command-line argument: "-Start" exactly, "-cleanonce" in any letter case.
enum class StartSwitch { None, Start, CleanOnce };
StartSwitch ParseStartSwitch(std::string_view first_argument);

// The saved log's file name: ".txt" appended unless the extension is exactly ".txt".
std::string WithTxtExtension(std::string_view name);
// The saved log's first name: "Morvel log 2024-05-01 14-30-05.txt", after the run's local
// date and time (no character a file name may not hold).
std::string SavedLogName(const platform::CalendarTime& run);
// The saved log's text: a two-line header, then, when known, "Run on " and the run's date
// and time as the user writes them, an empty line, then the log.
std::string SavedLogText(const std::vector<std::string>& log, std::string_view run_time);
// Now, as a FILETIME (100 ns since 1601, UTC).
std::uint64_t FileTimeNow();

// What the program entry needs to find an instance that already runs.
class InstancePort {
 public:
  virtual ~InstancePort() = default;
  [[nodiscard]] virtual bool MainWindowExists() const = 0;  // by kMainWindowClass
  virtual void PostComeForward() = 0;                       // 0x3412 to it
  virtual void SetForeground() = 0;
};
// True when another instance runs: it was asked to come forward and this one must end.
bool HandOverToRunningInstance(InstancePort& port);

// How the last request ended, for the command line's exit status.
enum class Outcome { None, Refused, Cancelled, Failed, Finished };

class MainController {
 public:
  MainController(ProgramState& state, platform::Port& port, MainView& view, BossKey& boss_key,
                 RunLauncher launcher);

  // The command line names its keys instead of the ticks.
  void SetExplicitKeys(std::vector<std::string> keys) { explicit_keys_ = std::move(keys); }
  // Set for "-cleanonce": no confirmation, and the window closes when the run ends.
  void SetCloseAfterRun() { close_after_run_ = true; }
  // The command line's --report FILE: every run of this controller writes its report there
  // (otherwise only unattended runs write one, where settings.ini or a policy says).
  void SetReportFile(std::string path) { report_file_ = std::move(path); }
  // The clock that dates each run (FileTimeNow unless a test sets one).
  void SetClock(std::function<std::uint64_t()> now) { now_ = std::move(now); }

  void OnCreate(std::string_view first_argument);
  void OnActivate(std::string_view first_argument);
  void OnClose();
  void OnExit();

  void OnTestClick();
  void OnCleanClick();
  // 0x3407 (a "-Start" or "-cleanonce" start), each schedule tick, the command line.
  void OnUnattendedStart(Unattended trigger = Unattended::Schedule);
  void OnFastModeClick(bool ticked);
  // A mouse-down on a node of the catalogue tree (or Space on the selected one, as a hit
  // on its box); a hit on the label of "<New List>" opens the custom lists editor.
  void OnTreeMouseDown(NodeRef node, HitArea area);
  void OnTreeExpanded(std::size_t root, bool expanded);
  // "Custom &Lists..." and the "<New List>" label.
  void OnCustomLists();
  void OnProgressTimer();  // Timer1
  // "&Settings..." of the Action and tray menus: the dialog, then what its OK accepted
  // committed in order (settings, boss key, schedule, autorun entry, settings.ini).
  void OnSettings();
  void OnSettingsConfirmed();

  // Messages of a run; `serial` is the run's, as given to the launcher.
  void OnRunEnded(std::int32_t total, std::uint32_t serial);
  void OnProgress(std::int32_t total, std::uint32_t serial);
  void OnRunFailed(std::uint32_t serial);
  void OnRemovalPass();
  // One application message, as both front ends receive them.
  void Dispatch(AppMessage message, std::int32_t wparam, std::uint32_t serial);

  // Returns what the window answers: true, Windows may go on ending.
  bool OnQueryEndSession();
  // The session ends (`ending`) or goes on: a shut-down clean still running is waited for.
  void OnEndSession(bool ending);

  void OnSysMinimize(bool at_start_up);
  void OnTrayCallback(std::uint32_t mouse_message);
  void RestoreFromTray();

  [[nodiscard]] bool SaveTextEnabled() const { return !view_.LogLines().empty(); }
  void OnSaveText();

  [[nodiscard]] bool busy() const { return busy_; }
  [[nodiscard]] RunMode mode() const { return mode_; }
  [[nodiscard]] std::int32_t expected_total() const { return expected_total_; }
  [[nodiscard]] int progress_position() const { return position_; }
  [[nodiscard]] const std::string& progress_caption() const { return caption_; }
  [[nodiscard]] Outcome outcome() const { return outcome_; }
  // What the last finished run removed (or, a Test, would remove) and left, item by item.
  [[nodiscard]] const std::vector<ItemResult>& results() const { return results_; }
  // Why the last run's report could not be written; nullopt when it was, or none was asked.
  [[nodiscard]] const std::optional<std::string>& report_failure() const { return report_failure_; }
  [[nodiscard]] bool close_after_run() const { return close_after_run_; }

 private:
  void CommitOptions(const OptionsChoice& chosen);
  void StartRun();
  bool ShowsCancel() const { return active_serial_ != 0; }
  void Cancel();
  void EndRun(Outcome outcome);
  std::vector<std::string> CollectKeys() const;
  bool FirefoxTicked() const;
  bool FirefoxOpen() const;
  void SetPosition(int position);
  void SetCaption(std::string_view caption);
  // After a Clean's last line: the same items once more as a quiet, probing Test.
  void StartVerifyPass();
  // The run's results are known: summary, report, event, then the end.
  void Deliver(std::vector<ItemResult> results);
  [[nodiscard]] std::string ReportPath() const;
  void ReportStopped(std::string_view why);
  // A community item's warning as a Yes/No question; true on Yes.
  bool ConfirmWarning(const std::string& warning);

  ProgramState& state_;
  platform::Port& port_;
  MainView& view_;
  BossKey& boss_key_;
  RunLauncher launcher_;
  std::optional<std::vector<std::string>> explicit_keys_;
  std::optional<std::string> report_file_;

  RunMode mode_ = RunMode::Clean;
  bool busy_ = false;
  bool close_after_run_ = false;
  bool close_when_idle_ = false;  // the shut-down clean closes the window when it ends
  std::int32_t expected_total_ = 0;
  std::vector<std::string> run_list_;
  std::shared_ptr<RunHandle> active_run_;
  std::uint32_t active_serial_ = 0;  // 0: no run shown as active ("Test" on the button)
  std::uint32_t last_serial_ = 0;
  bool removal_pending_ = false;
  // The hidden preparation pass of an interactive Clean runs, or its removal pass is due.
  bool preparing_ = false;
  bool progress_shown_ = false;
  int position_ = 0;
  std::string caption_;
  Outcome outcome_ = Outcome::None;
  std::function<std::uint64_t()> now_ = FileTimeNow;
  std::uint64_t run_started_ = 0;  // FILETIME of the last run's start; 0 before any

  std::optional<Unattended> unattended_;            // the trigger of the unattended run under way
  Unattended start_trigger_ = Unattended::AtStart;  // what 0x3407 was posted for
  std::chrono::system_clock::time_point started_;
  bool verifying_ = false;
  std::vector<FinishedItem> cleaned_;  // the Clean's items, while the verify pass runs
  std::vector<ItemResult> results_;
  std::optional<std::string> report_failure_;
};

}  // namespace morvel::app
