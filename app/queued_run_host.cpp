#include "app/queued_run_host.h"

namespace morvel::app {

void QueuedRunHost::RequestDrain(std::unique_lock<std::mutex>& lock) {
  if (drain_asked_) return;
  drain_asked_ = true;
  lock.unlock();
  const bool delivered = NotifyDrain();
  lock.lock();
  // Not delivered: the next entry, or the waiting step, asks again.
  if (!delivered) drain_asked_ = false;
}

void QueuedRunHost::Push(RunEntry entry) {
  std::unique_lock lock(mutex_);
  if (detached_) return;
  entries_.push_back(std::move(entry));
  RequestDrain(lock);
}

void QueuedRunHost::RunOnUiThread(const std::function<void()>& step) {
  std::unique_lock lock(mutex_);
  if (!detached_) {
    const std::uint64_t ticket = ++steps_queued_;
    entries_.push_back({RunEntry::Kind::Step, {}, &step});
    for (;;) {
      RequestDrain(lock);
      if (steps_done_ >= ticket) return;
      if (detached_) break;
      // A drain that was asked for wakes this through Drain; one that could not be asked
      // for is asked again after a while.
      if (drain_asked_)
        changed_.wait(lock, [&] { return steps_done_ >= ticket || detached_ || !drain_asked_; });
      else
        changed_.wait_for(lock, kRetry, [&] { return detached_; });
    }
  }
  // Detached (before the UI took the step): the worker does it itself.
  lock.unlock();
  step();
}

void QueuedRunHost::Drain(const std::function<void(const RunEntry&)>& take) {
  std::deque<RunEntry> batch;
  {
    std::lock_guard lock(mutex_);
    if (detached_) return;
    batch.swap(entries_);
    drain_asked_ = false;
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
    changed_.notify_all();
  }
}

void QueuedRunHost::Detach() {
  {
    std::lock_guard lock(mutex_);
    detached_ = true;
    entries_.clear();
  }
  changed_.notify_all();
}

void QueuedRunHost::Deliver(AppMessage message, std::int32_t wparam) {
  std::unique_lock lock(mutex_);
  while (!detached_) {
    lock.unlock();
    if (NotifyMessage(message, wparam)) return;
    lock.lock();
    changed_.wait_for(lock, kRetry, [&] { return detached_; });
  }
}

}  // namespace morvel::app
