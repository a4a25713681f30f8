#pragma once
// The run's host on the command line: log lines to a stream, progress as a percentage of
// an expected total on another stream.

#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

#include "engine/run_host.h"

namespace morvel::cli {

class StreamHost final : public RunHost {
 public:
  // `log` may be null for a hidden run. `progress` (may be null) gets "\rNN%" lines when
  // `expected_total` is not 0.
  StreamHost(std::ostream* log, std::ostream* progress, std::int32_t expected_total)
      : log_(log), progress_(progress), expected_total_(expected_total) {}

  void AppendLog(std::string_view line) override;
  void ScrollLogToEnd() override {}
  void SetCurrentItem(std::string_view) override {}
  // The command line has no separate UI thread: its main thread only waits for the run.
  void RunOnUiThread(const std::function<void()>& step) override;
  void PostProgress(std::int32_t running_total) override;
  void PostRunEnded(std::int32_t run_total) override;

  // The run total of the end message; nullopt when the run ended without one.
  [[nodiscard]] std::optional<std::int32_t> ended_total() const;
  [[nodiscard]] std::int32_t last_progress() const;

 private:
  std::ostream* log_;
  std::ostream* progress_;
  std::int32_t expected_total_;
  mutable std::mutex mutex_;
  std::optional<std::int32_t> ended_total_;
  std::int32_t last_progress_ = 0;
  int last_percent_ = -1;
};

}  // namespace morvel::cli
