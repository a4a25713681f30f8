#pragma once
// A queue between threads: producers post from any thread, one consumer takes the items
// out in order, waiting while there are none. The command line's loop takes the runs'
// application messages from it, as a window takes them from its message queue.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "app/main_view.h"

namespace morvel::app {

template <class Item>
class BlockingQueue {
 public:
  void Post(Item item) {
    {
      std::lock_guard lock(mutex_);
      items_.push_back(std::move(item));
    }
    ready_.notify_one();
  }
  // Waits for the next item.
  Item Take() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !items_.empty(); });
    Item item = std::move(items_.front());
    items_.pop_front();
    return item;
  }
  [[nodiscard]] bool empty() const {
    std::lock_guard lock(mutex_);
    return items_.empty();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Item> items_;
};

struct QueuedMessage {
  AppMessage message;
  std::int32_t wparam = 0;
  std::uint32_t serial = 0;
};

using MessageQueue = BlockingQueue<QueuedMessage>;

}  // namespace morvel::app
