// The GUI's run host and the controller on real worker threads. Under the `tsan` preset
// these tests are the proof that the worker never races the UI thread: Fast Mode toggled
// and a preparation pass (started fast, the user's Fast Mode left alone) cancelled while runs
// read the settings.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "app/message_queue.h"
#include "app/queued_run_host.h"
#include "app/run_keeper.h"
#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

// The UI thread's message queue: tasks posted by workers, run in order by the test.
class UiQueue {
 public:
  void Post(std::function<void()> task) { tasks_.Post(std::move(task)); }
  void RunOne() { tasks_.Take()(); }

 private:
  app::BlockingQueue<std::function<void()>> tasks_;
};

// A host whose notices go through the queue; the first `failures` notices of each kind
// are refused, as a full window message queue refuses them.
class QueueHost final : public app::QueuedRunHost {
 public:
  QueueHost(std::uint32_t serial, UiQueue& queue, std::function<void(std::uint32_t)> drain,
            std::function<void(app::AppMessage, std::int32_t, std::uint32_t)> message,
            int failures = 0)
      : QueuedRunHost(serial),
        queue_(queue),
        drain_(std::move(drain)),
        message_(std::move(message)),
        drain_failures_(failures),
        message_failures_(failures) {}

 protected:
  bool NotifyDrain() override {
    if (drain_failures_-- > 0) return false;
    // The task outlives this host when its run is gone: it carries copies, not the host.
    queue_.Post([drain = drain_, s = serial()] { drain(s); });
    return true;
  }
  bool NotifyMessage(app::AppMessage m, std::int32_t wparam) override {
    if (message_failures_-- > 0) return false;
    queue_.Post([message = message_, m, wparam, s = serial()] { message(m, wparam, s); });
    return true;
  }

 private:
  UiQueue& queue_;
  std::function<void(std::uint32_t)> drain_;
  std::function<void(app::AppMessage, std::int32_t, std::uint32_t)> message_;
  std::atomic<int> drain_failures_;
  std::atomic<int> message_failures_;
};

TEST(QueuedRunHost, RefusedNoticesAreDeliveredLaterInOrder) {
  UiQueue queue;
  std::vector<std::string> lines;
  std::vector<std::int32_t> ended;
  const std::thread::id ui = std::this_thread::get_id();
  std::thread::id step_thread;
  QueueHost* host = nullptr;
  QueueHost made(
      7, queue,
      [&](std::uint32_t) { host->Drain([&](const app::RunEntry& e) { lines.push_back(e.text); }); },
      [&](app::AppMessage m, std::int32_t w, std::uint32_t serial) {
        EXPECT_EQ(serial, 7u);
        if (m == app::AppMessage::RunEnded) ended.push_back(w);
      },
      3);
  host = &made;
  std::thread worker([&] {
    made.AppendLog("first");
    made.RunOnUiThread([&] { step_thread = std::this_thread::get_id(); });
    made.AppendLog("second");
    made.PostRunEnded(5);
  });
  while (ended.empty()) queue.RunOne();
  worker.join();
  while (lines.size() < 2) queue.RunOne();
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(step_thread, ui);
  EXPECT_EQ(ended, std::vector<std::int32_t>{5});
}

TEST(QueuedRunHost, DetachedWhileAStepWaitsTheWorkerRunsItItself) {
  UiQueue queue;
  QueueHost host(
      1, queue, [](std::uint32_t) {}, [](app::AppMessage, std::int32_t, std::uint32_t) {});
  std::atomic<bool> ran{false};
  std::thread worker([&] { host.RunOnUiThread([&] { ran = true; }); });
  queue.RunOne();  // the drain notice, which this UI ignores
  host.Detach();
  worker.join();
  EXPECT_TRUE(ran);
}

// The window's arrangement without a window: the controller, the run keeper and real runs
// whose cleaner reads the settings at every line, the UI thread changing them meanwhile.
class LiveRuns : public ::testing::Test {
 protected:
  LiveRuns() {
    rig_.state.options.AskForSweep = false;
    rig_.Tick("Windows - Recent Documents");
    rig_.Tick("Windows - Start Run");
    rig_.view.deliver = [this](app::AppMessage m) {
      queue_.Post([this, m] { controller_.Dispatch(m, 0, 0); });
    };
  }
  ~LiveRuns() override { keeper_.DetachAndWaitAll(); }

  // Runs the UI's tasks until the controller is idle, toggling Fast Mode between them.
  void RunUntilIdle() {
    for (int i = 0; controller_.busy(); ++i) {
      queue_.RunOne();
      controller_.OnFastModeClick(i % 2 == 0);
    }
  }

  static Cleaner ReadingCleaner() {
    return [](Executor& executor) {
      RunContext& run = executor.run();
      Tally tally;
      for (int i = 0; i < 300 && !run.Terminated(); ++i) {
        if (!run.FastLog()) run.AppendLog(run.LogPrefix() + "entry");
        if (run.options().OverwriteFile && run.options().OverwriteNumber > 10) break;
        tally.Count();
      }
      return tally;
    };
  }

  ControllerRig rig_;
  UiQueue queue_;
  app::QueuedRunHost* current_ = nullptr;
  app::RunKeeper keeper_{rig_.port, rig_.state.options,
                         [this](std::uint32_t serial) {
                           auto host = std::make_unique<QueueHost>(
                               serial, queue_,
                               [this](std::uint32_t s) {
                                 if (current_ != nullptr && current_->serial() == s)
                                   current_->Drain([this](const app::RunEntry& e) {
                                     if (e.kind == app::RunEntry::Kind::Line)
                                       rig_.view.log.push_back(e.text);
                                   });
                               },
                               [this](app::AppMessage m, std::int32_t w, std::uint32_t s) {
                                 controller_.Dispatch(m, w, s);
                               });
                           current_ = host.get();
                           return host;
                         },
                         [](std::string_view) { return ReadingCleaner(); }};
  app::MainController controller_{rig_.state, rig_.port, rig_.view, rig_.boss_key,
                                  keeper_.Launcher()};
};

TEST_F(LiveRuns, FastModeToggledDuringATestRun) {
  controller_.OnTestClick();
  RunUntilIdle();
  EXPECT_EQ(controller_.outcome(), app::Outcome::Finished);
  EXPECT_EQ(rig_.view.number, "600");
}

TEST_F(LiveRuns, PreparationCancelledWhileItsWorkerStillRuns) {
  rig_.state.options.FastScan = false;
  controller_.OnCleanClick();
  queue_.RunOne();
  controller_.OnTestClick();  // Cancel while that worker goes on: Fast Mode stays the user's
  EXPECT_FALSE(rig_.state.options.FastScan);
  controller_.OnTestClick();  // a new Test beside the leaving worker
  RunUntilIdle();
  EXPECT_EQ(controller_.outcome(), app::Outcome::Finished);
  // And a whole Clean: preparation, then the removal pass.
  controller_.OnCleanClick();
  RunUntilIdle();
  EXPECT_EQ(controller_.outcome(), app::Outcome::Finished);
  EXPECT_EQ(controller_.expected_total(), 600);
}

}  // namespace
}  // namespace morvel::testing
