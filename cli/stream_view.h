#pragma once
// The main window without a window: the command line's view of the shared controller.
// The log goes to a stream (nothing while the preparation pass hides it), messages to the
// error stream, the removal pass's percentage to the error stream when it is a terminal.

#include <atomic>
#include <iosfwd>
#include <memory>

#include "app/message_queue.h"
#include "app/run_keeper.h"
#include "platform/questions.h"

namespace morvel::cli {

class StreamView final : public app::MainView {
 public:
  StreamView(std::ostream& out, std::ostream& err, bool progress_on_err,
             platform::UserQuestions& questions, app::MessageQueue& queue)
      : out_(out),
        err_(err),
        progress_on_err_(progress_on_err),
        questions_(questions),
        queue_(queue) {}

  // A host for the run with `serial`: lines to this view, messages into the queue. The
  // command line has no UI thread apart from its loop, so steps run on the worker.
  std::unique_ptr<app::RunHostBase> MakeHost(std::uint32_t serial);

  void ShowMessage(std::string_view text) override;
  app::AskAnswer AskBeforeCleaning() override;
  void OpenCustomListsEditor(app::CustomListEditor&) override {}
  void OpenSettings(app::OptionsDialog&) override {}
  std::string ProgramPath() const override { return {}; }
  std::optional<std::string> AskSaveFileName(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  void SetTestCaption(std::string_view) override {}
  void ShowProgressArea() override {}
  void SetProgressPosition(int position) override;
  void SetProgressCaption(std::string_view caption) override;
  void ShowProgressCaption(bool show) override { caption_shown_ = show; }
  void SetTotalTitle(std::string_view) override {}
  void SetNumber(std::string_view) override {}
  void SetFastModeBox(bool) override {}
  void ClearLog() override {}
  void SetLogHidden(bool hidden) override { log_hidden_ = hidden; }
  void SetLogBuffered(bool) override {}
  void FinishLog() override {}
  std::vector<std::string> LogLines() const override { return {}; }
  void AddLogLine(std::string_view line) override;
  void SetProgressTimer(bool) override {}
  void SetScheduleTimer(bool, std::int32_t) override {}
  void Post(app::AppMessage message) override { queue_.Post({message, 0, 0}); }
  void PostStartupMinimize() override {}
  void ApplyGeometry(bool, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void SaveSettings() override {}
  void CloseWindow() override {}
  // The command line has no session to outlast.
  void WaitWhile(const std::function<bool()>&) override {}
  void SetTrayIcon(bool) override {}
  void MinimizeToTray() override {}
  void ShowMainWindow() override {}
  bool WindowMinimized() const override { return false; }
  void RestoreApplication() override {}
  void BringToFront() override {}
  void ShowTrayMenu() override {}

 private:
  friend class StreamHost;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_on_err_;
  platform::UserQuestions& questions_;
  app::MessageQueue& queue_;
  std::atomic<bool> log_hidden_{false};
  bool caption_shown_ = false;
  int last_percent_ = -1;
};

}  // namespace morvel::cli
