#include "gui/window_run_host.h"

#include "app/main_view.h"

namespace morvel::gui {

void WindowRunHost::Push(RunEntry entry) {
  bool post = false;
  {
    std::lock_guard lock(mutex_);
    if (detached_) return;
    entries_.push_back(std::move(entry));
    post = !drain_posted_;
    drain_posted_ = true;
  }
  if (post) PostMessageW(window_, kMsgDrainRun, serial_, 0);
}

void WindowRunHost::RunOnUiThread(const std::function<void()>& step) {
  std::unique_lock lock(mutex_);
  if (detached_) {
    lock.unlock();
    step();
    return;
  }
  const std::uint64_t ticket = steps_done_ + 1;
  entries_.push_back({RunEntry::Kind::Step, {}, &step});
  const bool post = !drain_posted_;
  drain_posted_ = true;
  lock.unlock();
  if (post) PostMessageW(window_, kMsgDrainRun, serial_, 0);
  lock.lock();
  step_done_.wait(lock, [&] { return steps_done_ >= ticket || detached_; });
  if (steps_done_ >= ticket) return;
  // Detached before the window took the step: the worker does it itself.
  lock.unlock();
  step();
}

void WindowRunHost::Drain(const std::function<void(const RunEntry&)>& take) {
  std::deque<RunEntry> batch;
  {
    std::lock_guard lock(mutex_);
    if (detached_) return;
    batch.swap(entries_);
    drain_posted_ = false;
  }
  for (const RunEntry& e : batch) {
    if (e.kind != RunEntry::Kind::Step) {
      take(e);
      continue;
    }
    // The worker waits for this step; the lines it writes come back through Push.
    (*e.step)();
    {
      std::lock_guard lock(mutex_);
      ++steps_done_;
    }
    step_done_.notify_all();
  }
}

void WindowRunHost::Detach() {
  {
    std::lock_guard lock(mutex_);
    detached_ = true;
    entries_.clear();
  }
  step_done_.notify_all();
}

void WindowRunHost::PostProgress(std::int32_t total) {
  PostMessageW(window_, static_cast<UINT>(app::AppMessage::Progress), static_cast<WPARAM>(total),
               serial_);
}

void WindowRunHost::PostRunEnded(std::int32_t total) {
  PostMessageW(window_, static_cast<UINT>(app::AppMessage::RunEnded), static_cast<WPARAM>(total),
               serial_);
}

void WindowRunHost::PostRunFailed(std::string_view what) {
  {
    std::lock_guard lock(mutex_);
    failure_ = what;
  }
  PostMessageW(window_, static_cast<UINT>(app::AppMessage::RunFailed), 0, serial_);
}

std::string WindowRunHost::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

}  // namespace morvel::gui
