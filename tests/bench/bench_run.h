#pragma once
// The run of the timing programs: a Test or a Clean on an emulated machine that keeps no log
// and asks nothing, as with Fast Mode on. The companion of the bench-*.sh scripts.

#include <string>
#include <string_view>

#include "engine/run_context.h"
#include "platform/emulated/machine.h"

namespace morvel::bench {

class NoQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question&) override { return platform::Answer::No; }
};

// A run that only counts: no log is kept, as with Fast Mode on. A probing Test (`probe`) asks
// every entry whether it would stay, as the verify pass after a Clean does.
class BenchRun final : public RunContext {
 public:
  BenchRun(platform::emulated::EmulatedMachine& machine, RunMode mode, bool probe = false)
      : mode_(mode), probe_(probe), port_(platform::PortOf(machine, questions_)) {
    settings_.FastScan = true;
  }
  [[nodiscard]] RunMode mode() const override { return mode_; }
  [[nodiscard]] bool FastLog() const override { return settings_.FastScan; }
  [[nodiscard]] bool ProbesWhatStays() const override { return probe_; }
  [[nodiscard]] const std::string& LogPrefix() const override { return text_; }
  void AppendLog(std::string_view) override { ++lines_; }
  void ScrollLog(int) override {}
  void ReportProgress(std::int32_t) override {}
  [[nodiscard]] bool Terminated() const override { return false; }
  [[nodiscard]] const TOptionsSetting& options() const override { return settings_; }
  platform::Port& port() override { return port_; }

 private:
  RunMode mode_;
  bool probe_;
  NoQuestions questions_;
  TOptionsSetting settings_;
  platform::Port port_;
  std::string text_;
  long lines_ = 0;
};

}  // namespace morvel::bench
