#pragma once
// What a cleaner sees of the run it works for. Every cleaner and removal primitive is
// written against this; the run (TClearTaskThread) provides it, tests may fake it.

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

  // Counters of the item being cleaned. Cleaners add entries to the count (or assign it)
  // and, when they count bytes, set the byte total and its FormatKB text before returning.
  virtual std::int32_t& ItemCount() = 0;
  virtual std::uint64_t& ItemBytes() = 0;
  virtual std::string& ItemSizeText() = 0;
  virtual std::string& ItemScratch() = 0;
  [[nodiscard]] virtual std::int32_t RunTotal() const = 0;

  // "Test: " or "Clean: ", before every entry line.
  [[nodiscard]] virtual const std::string& LogPrefix() const = 0;
  virtual void AppendLog(std::string_view line) = 0;
  // Scrolls the log every `every` lines (halved outside Test), or at once with 0.
  virtual void ScrollLog(int every) = 0;
  // Reports the running total, at most once every 2 seconds.
  virtual void ReportProgress() = 0;
  // Whether the run was asked to stop; every loop over entries checks it.
  [[nodiscard]] virtual bool Terminated() const = 0;

  [[nodiscard]] virtual const TOptionsSetting& options() const = 0;
  [[nodiscard]] virtual platform::Port& port() = 0;
};

}  // namespace morvel
