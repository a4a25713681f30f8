#pragma once
// What the actions see of the run they work for: its mode, the log, the progress report,
// the stop request, the settings and the port. The run (TClearTaskThread) provides it, tests
// may fake it. Counts are not kept here: every action returns a tally (tally.h), and the
// run adds an item's tallies up itself.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/options_setting.h"
#include "engine/run_mode.h"
#include "platform/port.h"

namespace morvel {

class RunContext {
 public:
  virtual ~RunContext() = default;

  [[nodiscard]] virtual RunMode mode() const = 0;
  [[nodiscard]] bool IsTestMode() const { return mode() == RunMode::Test; }

  // Whether per-entry lines are left out: the run was started fast (the hidden preparation
  // pass of a Clean) or Fast Mode is on, read at the moment of use.
  [[nodiscard]] virtual bool FastLog() const = 0;
  // Whether a Test asks each file, key and value it counts whether it would stay (in use,
  // access denied): one more open per entry, for runs whose tally is compared or reported.
  [[nodiscard]] virtual bool ProbesWhatStays() const = 0;

  // "Test: " or "Clean: ", before every entry line.
  [[nodiscard]] virtual const std::string& LogPrefix() const = 0;
  virtual void AppendLog(std::string_view line) = 0;
  // Scrolls the log every `every` lines (halved outside Test), or at once with 0.
  virtual void ScrollLog(int every) = 0;
  // Reports the running total (the run's total and `item_entries` of the item so far), at
  // most once every 2 seconds.
  virtual void ReportProgress(std::int32_t item_entries) = 0;
  // Whether the run was asked to stop; every loop over entries checks it.
  [[nodiscard]] virtual bool Terminated() const = 0;

  [[nodiscard]] virtual const TOptionsSetting& options() const = 0;
  [[nodiscard]] virtual platform::Port& port() = 0;
};

}  // namespace morvel
