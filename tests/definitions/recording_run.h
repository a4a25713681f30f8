#pragma once
// A run context that records what the removal primitives tell the run, and questions
// answered from a script. Enough to drive the primitives without a worker thread.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace morvel::testing {

class ScriptedQuestions final : public platform::UserQuestions {
 public:
  struct Asked {
    std::string text;
    std::string caption;
    platform::Buttons buttons;
  };
  explicit ScriptedQuestions(platform::Answer answer = platform::Answer::No) : answer_(answer) {}
  platform::Answer Ask(const platform::Question& q) override {
    asked.push_back({std::string(q.text), std::string(q.caption), q.buttons});
    return q.buttons == platform::Buttons::Ok ? platform::Answer::Ok : answer_;
  }
  std::vector<Asked> asked;

 private:
  platform::Answer answer_;
};

class RecordingRun final : public RunContext {
 public:
  RecordingRun(RunMode mode, platform::Port& port)
      : mode_(mode), port_(port), prefix_(mode == RunMode::Test ? "Test: " : "Clean: ") {
    options_.FastScan = false;
  }

  [[nodiscard]] RunMode mode() const override { return mode_; }
  std::int32_t& ItemCount() override { return item_count; }
  std::uint64_t& ItemBytes() override { return item_bytes; }
  std::string& ItemSizeText() override { return item_size_text; }
  std::string& ItemScratch() override { return scratch_; }
  [[nodiscard]] std::int32_t RunTotal() const override { return 0; }
  [[nodiscard]] const std::string& LogPrefix() const override { return prefix_; }
  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void ScrollLog(int every) override { scrolls.push_back(every); }
  void ReportProgress() override {}
  [[nodiscard]] bool Terminated() const override { return stop; }
  [[nodiscard]] const TOptionsSetting& options() const override { return options_; }
  [[nodiscard]] platform::Port& port() override { return port_; }

  TOptionsSetting& settings() { return options_; }

  std::int32_t item_count = 0;
  std::uint64_t item_bytes = 0;
  std::string item_size_text = "0";
  std::vector<std::string> log;
  std::vector<int> scrolls;
  bool stop = false;

 private:
  RunMode mode_;
  platform::Port& port_;
  std::string prefix_;
  std::string scratch_;
  TOptionsSetting options_;
};

}  // namespace morvel::testing
