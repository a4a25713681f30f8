#pragma once
// What every removal test uses: a fresh backend per test, a RunContext that records what
// the primitives tell the run, scripted answers to questions, and helpers to lay out and
// list files in the test's scratch folder.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"
#include "platform/port.h"
#include "tests/removal/removal_backend.h"

// Skips the test (from a helper: returns from it) when an arranger step cannot be done here.
#define SKIP_IF_REASON(reason)                           \
  do {                                                   \
    if (const auto why = (reason)) GTEST_SKIP() << *why; \
  } while (false)

namespace morvel::removal_test {

struct AskedQuestion {
  std::string text;
  std::string caption;
  platform::Buttons buttons;
  platform::Icon icon;
  platform::Answer default_answer;
};

// Answers from a script, then No; remembers every question.
class ScriptedQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question& q) override {
    asked.push_back(
        {std::string(q.text), std::string(q.caption), q.buttons, q.icon, q.default_answer});
    if (answers.empty()) return platform::Answer::No;
    const platform::Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<platform::Answer> answers;
  std::vector<AskedQuestion> asked;
};

class RecordingRun final : public RunContext {
 public:
  RecordingRun(Backend& backend, RunMode mode) : backend_(backend), mode_(mode) {
    settings.FastScan = false;
  }

  [[nodiscard]] RunMode mode() const override { return mode_; }
  std::int32_t& ItemCount() override { return item_count; }
  std::uint64_t& ItemBytes() override { return item_bytes; }
  std::string& ItemSizeText() override { return item_size_text; }
  std::string& ItemScratch() override { return item_scratch; }
  [[nodiscard]] std::int32_t RunTotal() const override { return 0; }
  [[nodiscard]] const std::string& LogPrefix() const override { return prefix_; }
  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void ScrollLog(int every) override { scrolls.push_back(every); }
  void ReportProgress() override { ++progress_reports; }
  [[nodiscard]] bool Terminated() const override {
    return stop_after_lines && log.size() >= *stop_after_lines;
  }
  [[nodiscard]] const TOptionsSetting& options() const override { return settings; }
  platform::Port& port() override {
    platform::FileSystem& files = files_override ? *files_override : backend_.files();
    port_.emplace(platform::Port{backend_.registry(), files, backend_.system(), backend_.windows(),
                                 questions, backend_.protected_storage()});
    return *port_;
  }

  TOptionsSetting settings;  // Fast Mode off, so that file lines are written
  ScriptedQuestions questions;
  platform::FileSystem* files_override = nullptr;  // a spy in front of the backend's files
  std::optional<std::size_t> stop_after_lines;     // the stop request, once so many lines exist

  std::int32_t item_count = 0;
  std::uint64_t item_bytes = 0;
  std::string item_size_text = "0";
  std::string item_scratch;
  std::vector<std::string> log;
  std::vector<int> scrolls;
  int progress_reports = 0;

 private:
  Backend& backend_;
  const RunMode mode_;
  const std::string prefix_ = mode_ == RunMode::Test ? "Test: " : "Clean: ";
  std::optional<platform::Port> port_;
};

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    backend_ = MakeBackend(name);
  }
  void TearDown() override { backend_.reset(); }

  Backend& backend() { return *backend_; }
  platform::FileSystem& files() { return backend_->files(); }

  // A path below the scratch folder ("" for the folder itself).
  std::string Path(std::string_view sub = {}) const {
    return sub.empty() ? backend_->scratch() : backend_->scratch() + "\\" + std::string(sub);
  }

  std::unique_ptr<RecordingRun> MakeRun(RunMode mode) {
    return std::make_unique<RecordingRun>(*backend_, mode);
  }

  // Writes a file at `path` (absolute), making its folders.
  void WriteAt(const std::string& path, std::string_view bytes) {
    const std::size_t cut = path.find_last_of('\\');
    // The folder, "C:\" for a file on the root.
    if (!files().CreateFolder(path.substr(0, cut == 2 ? 3 : cut)).ok())
      throw std::runtime_error("cannot make the folder of " + path);
    if (!files().WriteFile(path, bytes).ok()) throw std::runtime_error("cannot write " + path);
  }
  void Write(std::string_view sub, std::string_view bytes) { WriteAt(Path(sub), bytes); }

  // Every entry below `folder` (absolute), depth first in listing order, as
  // "relative\name size" for files, "relative\name\" for folders and "relative\name@"
  // for links (never entered).
  std::vector<std::string> TreeAt(const std::string& folder) {
    std::vector<std::string> out;
    List(folder, "", out);
    return out;
  }
  std::vector<std::string> Tree(std::string_view sub = {}) { return TreeAt(Path(sub)); }

  // The file's bytes, also when it is locked.
  std::string Content(std::string_view sub) { return ContentAt(Path(sub)); }
  std::string ContentAt(const std::string& path) {
    auto reader = files().OpenForReading(path);
    if (!reader.ok()) return "<" + std::string(platform::ErrorKindName(reader.status.kind)) + ">";
    std::string bytes(static_cast<std::size_t>(reader.value->Size()), '\0');
    const auto read = reader.value->ReadAt(
        0, std::span<std::byte>(reinterpret_cast<std::byte*>(bytes.data()), bytes.size()));
    bytes.resize(read.value);
    return bytes;
  }

 private:
  void List(const std::string& folder, const std::string& relative, std::vector<std::string>& out) {
    std::vector<platform::FileEntry> entries;
    (void)files().Enumerate(folder, [&](const platform::FileEntry& e) {
      entries.push_back(e);
      return true;
    });
    for (const platform::FileEntry& e : entries) {
      const std::string name = relative + e.name;
      if (e.IsReparsePoint()) {
        out.push_back(name + "@");
      } else if (e.IsFolder()) {
        out.push_back(name + "\\");
        List(folder + "\\" + e.name, name + "\\", out);
      } else {
        out.push_back(name + " " + std::to_string(e.size));
      }
    }
  }

  std::unique_ptr<Backend> backend_;
};

}  // namespace morvel::removal_test
