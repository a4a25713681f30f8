#include "cli/stream_view.h"

#include <ostream>

#include "app/product.h"

namespace morvel::cli {

class StreamHost final : public app::RunHostBase {
 public:
  StreamHost(StreamView& view, std::uint32_t serial) : view_(view), serial_(serial) {}
  void AppendLog(std::string_view line) override {
    if (!detached_ && !view_.log_hidden_) view_.out_ << line << '\n';
  }
  void ScrollLogToEnd() override {}
  void SetCurrentItem(std::string_view) override {}
  void RunOnUiThread(const std::function<void()>& step) override { step(); }
  void PostProgress(std::int32_t total) override {
    view_.queue_.Post({app::AppMessage::Progress, total, serial_});
  }
  void PostRunEnded(std::int32_t total) override {
    view_.queue_.Post({app::AppMessage::RunEnded, total, serial_});
  }
  void PostRunFailed() override {
    view_.queue_.Post({app::AppMessage::RunFailed, 0, serial_});
  }
  void Detach() override { detached_ = true; }

 private:
  StreamView& view_;
  const std::uint32_t serial_;
  std::atomic<bool> detached_{false};
};

std::unique_ptr<app::RunHostBase> StreamView::MakeHost(std::uint32_t serial) {
  return std::make_unique<StreamHost>(*this, serial);
}

void StreamView::ShowMessage(std::string_view text) { err_ << text << '\n'; }

app::AskAnswer StreamView::AskBeforeCleaning() {
  // The dialog's lines as one question; its advice reads as one sentence.
  std::string text = std::string(app::kAskWarning) + "\n";
  for (std::string_view line : app::kAskAdvice) {
    if (!line.starts_with(' ') && text.back() != '\n') text += ' ';
    text += line;
  }
  text += "\n" + std::string(app::kAskQuestion);
  const platform::Question ask{text, app::kAskCaption, platform::Buttons::YesNo,
                               platform::Icon::Warning, platform::Answer::No};
  if (questions_.Ask(ask) == platform::Answer::Yes) return {true, false};
  err_ << "morvel: cleaning cancelled\n";
  return {false, false};
}

void StreamView::SetProgressPosition(int position) {
  const int percent = position / 10;
  // The reset to 0 at a run's start is not progress.
  if (!progress_on_err_ || !caption_shown_ || percent == last_percent_ ||
      (position == 0 && last_percent_ < 0))
    return;
  last_percent_ = percent;
  err_ << '\r' << percent << '%' << std::flush;
}

void StreamView::SetProgressCaption(std::string_view caption) {
  if (progress_on_err_ && last_percent_ >= 0 && caption == "Finished!")
    err_ << "\rFinished!\n" << std::flush;
}

void StreamView::AddLogLine(std::string_view line) { out_ << line << '\n'; }

}  // namespace morvel::cli
