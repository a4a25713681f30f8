#pragma once
// A run context that records what the cleaners and removal primitives tell the run, and
// questions answered from a script. Enough to drive them without a worker thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace morvel::testing {

// Answers from the script, then OK to an OK-only message and the default answer to the
// rest; remembers every question.
class ScriptedQuestions final : public platform::UserQuestions {
 public:
  struct Asked {
    std::string text;
    std::string caption;
    platform::Buttons buttons;
    platform::Icon icon;
    platform::Answer default_answer;
  };
  explicit ScriptedQuestions(platform::Answer answer = platform::Answer::No) : answer_(answer) {}
  platform::Answer Ask(const platform::Question& q) override {
    asked.push_back(
        {std::string(q.text), std::string(q.caption), q.buttons, q.icon, q.default_answer});
    if (!answers.empty()) {
      const platform::Answer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return q.buttons == platform::Buttons::Ok ? platform::Answer::Ok : answer_;
  }
  std::deque<platform::Answer> answers;
  std::vector<Asked> asked;

 private:
  platform::Answer answer_;
};

class RecordingRun final : public RunContext {
 public:
  // The port's parts, taken afresh at every use (a test machine may have been reopened);
  // given the run's own questions.
  using PortSource = std::function<platform::Port(platform::UserQuestions& questions)>;

  RecordingRun(RunMode mode, PortSource port_source)
      : mode_(mode), port_source_(std::move(port_source)) {
    settings.FastScan = false;
  }

  [[nodiscard]] RunMode mode() const override { return mode_; }
  [[nodiscard]] bool FastLog() const override { return fast || settings.FastScan; }
  [[nodiscard]] bool ProbesWhatStays() const override { return probe; }
  [[nodiscard]] const std::string& LogPrefix() const override { return prefix_; }
  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void ScrollLog(int every) override { scrolls.push_back(every); }
  void ReportProgress(std::int32_t item_entries) override {
    ++progress_reports;
    progress.push_back(item_entries);
  }
  [[nodiscard]] bool Terminated() const override {
    return stop || (stop_after_lines && log.size() >= *stop_after_lines);
  }
  [[nodiscard]] const TOptionsSetting& options() const override { return settings; }
  platform::Port& port() override {
    platform::Port parts = port_source_(questions);
    port_.emplace(platform::Port{parts.registry, files_override ? *files_override : parts.files,
                                 parts.system, parts.windows, parts.questions,
                                 parts.protected_storage, parts.internet, parts.logon_tasks});
    return *port_;
  }

  TOptionsSetting settings;  // Fast Mode off, so that entry lines are written
  bool fast = false;         // started fast, as the preparation pass
  bool probe = true;         // a Test asks what would stay, so that tallies compare
  ScriptedQuestions questions;
  platform::FileSystem* files_override = nullptr;  // a spy in front of the machine's files
  bool stop = false;                               // the stop request
  std::optional<std::size_t> stop_after_lines;     // ... or once so many lines exist

  std::vector<std::string> log;
  std::vector<int> scrolls;
  int progress_reports = 0;
  std::vector<std::int32_t> progress;  // the item's entries at each report

 private:
  RunMode mode_;
  PortSource port_source_;
  std::string prefix_ = mode_ == RunMode::Test ? "Test: " : "Clean: ";
  std::optional<platform::Port> port_;
};

}  // namespace morvel::testing
