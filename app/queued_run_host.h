#pragma once
// The run's host for a front end with a UI thread. The worker never blocks on the UI for
// a log line: lines and the current item go into an ordered store, and one notice per
// batch asks the UI thread to take them (the log then shows thousands of lines a second
// under Wine). The two per-item steps go through the same store and the worker waits for
// them; a detached host runs them on the worker itself, so closing the window or
// cancelling never waits on a worker that waits on the window.
//
// The front end delivers the notices (window messages for the GUI). A delivery can fail
// (a full message queue); the host then tries again until it is detached, since a lost
// notice would leave the worker waiting or the window showing a run that never ends.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "app/main_view.h"
#include "app/run_keeper.h"

namespace morvel::app {

struct RunEntry {
  enum class Kind { Line, Caption, Scroll, Step };
  Kind kind;
  std::string text;
  const std::function<void()>* step = nullptr;
};

class QueuedRunHost : public RunHostBase {
 public:
  explicit QueuedRunHost(std::uint32_t serial) : serial_(serial) {}

  void AppendLog(std::string_view line) override {
    Push({RunEntry::Kind::Line, std::string(line)});
  }
  void ScrollLogToEnd() override { Push({RunEntry::Kind::Scroll, {}}); }
  void SetCurrentItem(std::string_view key) override {
    Push({RunEntry::Kind::Caption, std::string(key)});
  }
  void RunOnUiThread(const std::function<void()>& step) override;
  void PostProgress(std::int32_t total) override { Deliver(AppMessage::Progress, total); }
  void PostRunEnded(std::int32_t total) override { Deliver(AppMessage::RunEnded, total); }
  void PostRunFailed() override { Deliver(AppMessage::RunFailed, 0); }
  void Detach() override;

  // UI thread: hands the stored entries, in order, to `take`; steps are run here.
  void Drain(const std::function<void(const RunEntry&)>& take);
  [[nodiscard]] std::uint32_t serial() const { return serial_; }

  // How long a failed delivery waits before it is tried again.
  static constexpr std::chrono::milliseconds kRetry{50};

 protected:
  // Asks the UI thread to call Drain; false when the notice could not be delivered.
  virtual bool NotifyDrain() = 0;
  // Delivers a run message with this host's serial; false when it could not.
  virtual bool NotifyMessage(AppMessage message, std::int32_t wparam) = 0;

 private:
  void Push(RunEntry entry);
  // With the lock held: asks for a drain unless one is asked for already.
  void RequestDrain(std::unique_lock<std::mutex>& lock);
  void Deliver(AppMessage message, std::int32_t wparam);

  const std::uint32_t serial_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<RunEntry> entries_;
  bool drain_asked_ = false;
  bool detached_ = false;
  std::uint64_t steps_done_ = 0;
  std::uint64_t steps_queued_ = 0;
};

}  // namespace morvel::app
