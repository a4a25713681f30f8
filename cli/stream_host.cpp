#include "cli/stream_host.h"

#include <ostream>

namespace morvel::cli {

void StreamHost::AppendLog(std::string_view line) {
  if (log_ != nullptr) *log_ << line << '\n';
}

void StreamHost::RunOnUiThread(const std::function<void()>& step) {
  // The main thread only waits for the run, so the step runs here; the worker is the one
  // thread touching the run's totals.
  step();
}

void StreamHost::PostProgress(std::int32_t running_total) {
  std::lock_guard lock(mutex_);
  last_progress_ = running_total;
  if (progress_ == nullptr || expected_total_ == 0) return;
  // As the main window's bar: position = total x 1000 div expected, shown as position div 10.
  const long long position = static_cast<long long>(running_total) * 1000 / expected_total_;
  const int percent = static_cast<int>(position / 10);
  if (percent == last_percent_) return;
  last_percent_ = percent;
  *progress_ << '\r' << percent << '%' << std::flush;
}

void StreamHost::PostRunEnded(std::int32_t run_total) {
  std::lock_guard lock(mutex_);
  ended_total_ = run_total;
  if (progress_ != nullptr && last_percent_ >= 0) *progress_ << "\rFinished!\n" << std::flush;
}

std::optional<std::int32_t> StreamHost::ended_total() const {
  std::lock_guard lock(mutex_);
  return ended_total_;
}

std::int32_t StreamHost::last_progress() const {
  std::lock_guard lock(mutex_);
  return last_progress_;
}

}  // namespace morvel::cli
