#pragma once
// The run's host on window messages. The worker never blocks on the window for a log
// line: lines and the current item go into an ordered store and one posted message per
// batch tells the window to take them (the log then shows thousands of lines a second
// under Wine). The two per-item steps go through the same store and the worker waits for
// them; a detached host runs them on the worker itself, so closing the window or
// cancelling never waits on a worker that waits on the window.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/run_keeper.h"

namespace morvel::gui {

// Posted to the window: wParam = the host's serial. The window calls Drain on the host.
inline constexpr UINT kMsgDrainRun = WM_APP + 0x100;

struct RunEntry {
  enum class Kind { Line, Caption, Scroll, Step };
  Kind kind;
  std::string text;
  const std::function<void()>* step = nullptr;
};

class WindowRunHost final : public app::RunHostBase {
 public:
  WindowRunHost(HWND window, std::uint32_t serial) : window_(window), serial_(serial) {}

  void AppendLog(std::string_view line) override {
    Push({RunEntry::Kind::Line, std::string(line)});
  }
  void ScrollLogToEnd() override { Push({RunEntry::Kind::Scroll, {}}); }
  void SetCurrentItem(std::string_view key) override {
    Push({RunEntry::Kind::Caption, std::string(key)});
  }
  void RunOnUiThread(const std::function<void()>& step) override;
  void PostProgress(std::int32_t total) override;
  void PostRunEnded(std::int32_t total) override;
  void PostRunFailed(std::string_view what) override;
  void Detach() override;

  // UI thread: hands the stored entries, in order, to `take`; steps are run here.
  void Drain(const std::function<void(const RunEntry&)>& take);
  [[nodiscard]] std::uint32_t serial() const { return serial_; }
  // The text of the failure, for the RunFailed message.
  [[nodiscard]] std::string failure() const;

 private:
  void Push(RunEntry entry);

  const HWND window_;
  const std::uint32_t serial_;
  mutable std::mutex mutex_;
  std::condition_variable step_done_;
  std::deque<RunEntry> entries_;
  bool drain_posted_ = false;
  bool detached_ = false;
  std::uint64_t steps_done_ = 0;
  std::string failure_;
};

}  // namespace morvel::gui
