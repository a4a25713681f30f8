#pragma once
// A queue of application messages for a front end without a window message queue: runs
// post into it from their workers, the front end's loop takes them out in order.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "app/main_view.h"

namespace morvel::app {

struct QueuedMessage {
  AppMessage message;
  std::int32_t wparam = 0;
  std::uint32_t serial = 0;
};

class MessageQueue {
 public:
  void Post(QueuedMessage m) {
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(std::move(m));
    }
    ready_.notify_one();
  }
  // Waits for the next message.
  QueuedMessage Take() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !messages_.empty(); });
    QueuedMessage m = std::move(messages_.front());
    messages_.pop_front();
    return m;
  }
  [[nodiscard]] bool empty() const {
    std::lock_guard lock(mutex_);
    return messages_.empty();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<QueuedMessage> messages_;
};

}  // namespace morvel::app
