#pragma once
// How a cleaning run talks to whoever started it (the main window, the command line, a
// test recorder). Implemented by the front end; called from the run's worker thread.

#include <cstdint>
#include <functional>
#include <string_view>

namespace morvel {

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Appends one line to the log. The line is in the log when this returns, so lines
  // keep their order.
  virtual void AppendLog(std::string_view line) = 0;
  // Scrolls the log to its last line. Completed before returning.
  virtual void ScrollLogToEnd() = 0;
  // Shows the key of the item being cleaned. Completed before returning.
  virtual void SetCurrentItem(std::string_view key) = 0;
  // Runs `step` on the UI thread while the worker waits for it to finish.
  virtual void RunOnUiThread(const std::function<void()>& step) = 0;
  // Progress (running total of entries) and run end (run total): posted, not awaited.
  virtual void PostProgress(std::int32_t running_total) = 0;
  virtual void PostRunEnded(std::int32_t run_total) = 0;
  // The run ended through an error that escaped a cleaner: no summary, no end message.
  // Posted, not awaited; hosts that need not tell it apart keep the default.
  virtual void PostRunFailed() {}
};

}  // namespace morvel
