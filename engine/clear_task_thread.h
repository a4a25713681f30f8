#pragma once
// One cleaning run on its own worker thread: takes the item keys in order, calls the
// cleaner of each, writes the log and reports progress and end to its host.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/cleaner_table.h"
#include "engine/run_context.h"
#include "engine/run_host.h"
#include "engine/tally.h"

namespace morvel {

// Chooses the cleaner of a key; the program uses the dispatch table, tests their own.
using CleanerResolver = std::function<Cleaner(std::string_view key)>;

// One item's key and what its actions returned.
struct ItemTally {
  std::string key;
  Tally tally;
};

class TClearTaskThread final : public RunContext,
                               public std::enable_shared_from_this<TClearTaskThread> {
 public:
  // Created "suspended": nothing runs until Start. `options` and `port` must outlive the
  // worker (the front end owns them for the program's life).
  static std::shared_ptr<TClearTaskThread> Create(
      RunMode mode, RunHost& host, const TOptionsSetting& options, platform::Port& port,
      std::vector<std::string> item_keys, RunFlags flags = {}, CleanerResolver resolver = {});
  ~TClearTaskThread() override;
  TClearTaskThread(const TClearTaskThread&) = delete;
  TClearTaskThread& operator=(const TClearTaskThread&) = delete;

  // Starts the worker. The worker keeps the run alive until its body returns, so the
  // caller may drop its reference ("frees itself when done").
  void Start();
  // The stop request: checked before every item and inside every scan. Safe at any time,
  // also after the body ended.
  void Terminate();
  // Waits until the body returned and the worker thread ended. Not from the worker.
  void WaitFor();
  // Whether the body has returned (the worker may still be leaving).
  [[nodiscard]] bool Finished() const {
    return finished_future_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  }
  // The error that escaped a cleaner and ended the run; empty while there is none.
  [[nodiscard]] std::string Failure() const;

  // RunContext
  [[nodiscard]] RunMode mode() const override { return mode_; }
  [[nodiscard]] bool FastLog() const override { return flags_.fast || options_.FastScan; }
  [[nodiscard]] bool ProbesWhatStays() const override { return flags_.probe; }
  [[nodiscard]] const std::string& LogPrefix() const override { return log_prefix_; }
  void AppendLog(std::string_view line) override;
  void ScrollLog(int every) override;
  void ReportProgress(std::int32_t item_entries) override;
  [[nodiscard]] bool Terminated() const override;
  [[nodiscard]] const TOptionsSetting& options() const override { return options_; }
  [[nodiscard]] platform::Port& port() override { return port_; }

  [[nodiscard]] std::uint64_t RunBytes() const { return run_bytes_; }
  // Each finished item's tally, in run order. Written on the UI thread as each item
  // finishes; read there, or once the run has ended (WaitFor).
  [[nodiscard]] const std::vector<ItemTally>& ItemTallies() const { return item_tallies_; }

  // The separator line between items and around the run summary.
  static const std::string& Separator();

 private:
  TClearTaskThread(RunMode mode, RunHost& host, const TOptionsSetting& options,
                   platform::Port& port, std::vector<std::string> item_keys, RunFlags flags,
                   CleanerResolver resolver);

  void Execute();
  bool ExecuteItems();  // false when the body must end without a summary
  void ResetItemCounters();
  void FinishItem(const std::string& key, Tally tally);
  void WriteRunSummary();
  void Fail(std::string_view what);

  const RunMode mode_;
  RunHost& host_;
  const TOptionsSetting& options_;
  platform::Port& port_;
  const std::vector<std::string> item_keys_;
  const RunFlags flags_;
  const CleanerResolver resolver_;
  const std::string phrase_;
  const std::string log_prefix_;

  std::chrono::steady_clock::time_point progress_stamp_;
  std::int32_t run_total_ = 0;
  std::uint64_t run_bytes_ = 0;
  std::int32_t log_line_counter_ = 0;
  std::vector<ItemTally> item_tallies_;

  std::atomic<bool> stop_requested_{false};
  mutable std::mutex failure_mutex_;
  std::string failure_;
  std::thread worker_;
  std::promise<void> finished_;
  std::shared_future<void> finished_future_;
};

}  // namespace morvel
