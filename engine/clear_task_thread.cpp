#include "engine/clear_task_thread.h"

#include <exception>

#include "engine/cleaner_table.h"
#include "engine/dispatch.h"
#include "engine/executor.h"
#include "engine/format_kb.h"

namespace morvel {

namespace {

constexpr const char* kTestPhrase = "will be removed";
constexpr const char* kCleanPhrase = "to be removed";

}  // namespace

const std::string& TClearTaskThread::Separator() {
  static const std::string line(107, '-');
  return line;
}

std::shared_ptr<TClearTaskThread> TClearTaskThread::Create(
    RunMode mode, RunHost& host, const TOptionsSetting& options, platform::Port& port,
    std::vector<std::string> item_keys, RunFlags flags, CleanerResolver resolver) {
  return std::shared_ptr<TClearTaskThread>(new TClearTaskThread(
      mode, host, options, port, std::move(item_keys), flags, std::move(resolver)));
}

TClearTaskThread::TClearTaskThread(RunMode mode, RunHost& host, const TOptionsSetting& options,
                                   platform::Port& port, std::vector<std::string> item_keys,
                                   RunFlags flags, CleanerResolver resolver)
    : mode_(mode),
      host_(host),
      options_(options),
      port_(port),
      item_keys_(std::move(item_keys)),
      flags_(flags),
      resolver_(resolver ? std::move(resolver) : CleanerResolver([](std::string_view key) {
        return CleanerFor(DispatchKey(key), key);
      })),
      phrase_(mode == RunMode::Test ? kTestPhrase : kCleanPhrase),
      log_prefix_(mode == RunMode::Test ? "Test: " : "Clean: "),
      progress_stamp_(std::chrono::steady_clock::now()),
      finished_future_(finished_.get_future().share()) {}

TClearTaskThread::~TClearTaskThread() {
  if (!worker_.joinable()) return;
  // The last reference may be the worker's own: then it cannot join itself.
  if (worker_.get_id() == std::this_thread::get_id())
    worker_.detach();
  else
    worker_.join();
}

void TClearTaskThread::Start() {
  if (worker_.joinable()) return;
  worker_ = std::thread([self = shared_from_this()] {
    self->Execute();
    self->finished_.set_value();
  });
}

void TClearTaskThread::Terminate() { stop_requested_.store(true, std::memory_order_relaxed); }

bool TClearTaskThread::Terminated() const {
  return stop_requested_.load(std::memory_order_relaxed);
}

void TClearTaskThread::WaitFor() {
  if (!worker_.joinable()) return;
  finished_future_.wait();
  if (worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void TClearTaskThread::Execute() {
  try {
    if (!ExecuteItems()) return;
    WriteRunSummary();
    host_.PostRunEnded(run_total_);
  } catch (const std::exception& e) {
    // An error that escapes a cleaner ends the run: no summary, no end message; the host
    // is told so that the window does not stay "running" for ever.
    Fail(e.what());
  } catch (...) {
    Fail("unknown error");
  }
}

void TClearTaskThread::Fail(std::string_view what) {
  {
    std::lock_guard lock(failure_mutex_);
    failure_ = what;
  }
  host_.PostRunFailed();
}

std::string TClearTaskThread::Failure() const {
  std::lock_guard lock(failure_mutex_);
  return failure_;
}

bool TClearTaskThread::ExecuteItems() {
  // One executor for the run: the anchors it decides on are held until the run ends.
  Executor executor(*this);
  for (std::size_t i = 0; i < item_keys_.size(); ++i) {
    if (Terminated()) return false;
    host_.RunOnUiThread([this] { ResetItemCounters(); });
    executor.BeginItem();
    const std::string& key = item_keys_[i];
    host_.SetCurrentItem(key);
    if (i > 0) host_.AppendLog(Separator());
    host_.AppendLog(log_prefix_ + "Clearing " + key + " ...");
    Tally tally;
    if (Cleaner cleaner = resolver_(key)) tally = cleaner(executor);
    host_.RunOnUiThread([this, &key, &tally] { FinishItem(key, std::move(tally)); });
  }
  return !Terminated();
}

void TClearTaskThread::WriteRunSummary() {
  const std::string count_text = std::to_string(run_total_);
  const std::string kb_text = FormatKB(run_bytes_);
  const std::string summary = mode_ == RunMode::Test
                                  ? "Total items will be removed = " + count_text +
                                        " ; Total files will be removed = " + kb_text + " KB"
                                  : "Total items to be removed = " + count_text +
                                        " ; Total files to be removed = " + kb_text + " KB";
  host_.AppendLog(Separator());
  host_.AppendLog(summary);
  host_.AppendLog(Separator());
}

void TClearTaskThread::ResetItemCounters() {
  progress_stamp_ = std::chrono::steady_clock::now();
  log_line_counter_ = 0;
}

void TClearTaskThread::FinishItem(const std::string& key, Tally tally) {
  host_.AppendLog("");
  host_.AppendLog(std::to_string(tally.items) + " items " + phrase_ + "; " + FormatKB(tally.bytes) +
                  " KB " + phrase_ + ".");
  host_.AppendLog("");
  host_.ScrollLogToEnd();
  run_total_ = WrappingAdd(run_total_, tally.items);
  run_bytes_ += tally.bytes;
  item_tallies_.push_back({key, std::move(tally)});
  host_.PostProgress(run_total_);
}

void TClearTaskThread::AppendLog(std::string_view line) { host_.AppendLog(line); }

void TClearTaskThread::ScrollLog(int every) {
  if (every == 0) {
    host_.ScrollLogToEnd();
    return;
  }
  if (mode_ != RunMode::Test) every /= 2;
  ++log_line_counter_;
  if (every <= 0 || log_line_counter_ % every == 0) {
    host_.ScrollLogToEnd();
    log_line_counter_ = 0;
  }
}

void TClearTaskThread::ReportProgress(std::int32_t item_entries) {
  const auto now = std::chrono::steady_clock::now();
  if (now - progress_stamp_ <= std::chrono::seconds(2)) return;
  progress_stamp_ = now;
  host_.PostProgress(WrappingAdd(run_total_, item_entries));
}

}  // namespace morvel
