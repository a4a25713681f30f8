#include "engine/clear_task_thread.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>

#include "engine/format_kb.h"
#include "fake_port.h"

namespace morvel {
namespace {

// Records everything the run tells its host, and checks that the per-item steps run
// through the UI-thread call.
class RecordingHost final : public RunHost {
 public:
  void AppendLog(std::string_view line) override {
    std::lock_guard l(m);
    log.emplace_back(line);
  }
  void ScrollLogToEnd() override {
    std::lock_guard l(m);
    ++scrolls;
  }
  void SetCurrentItem(std::string_view key) override {
    std::lock_guard l(m);
    current = key;
  }
  void RunOnUiThread(const std::function<void()>& step) override {
    ++ui_steps;
    step();
  }
  void PostProgress(std::int32_t total) override {
    std::lock_guard l(m);
    progress.push_back(total);
  }
  void PostRunEnded(std::int32_t total) override {
    std::lock_guard l(m);
    ended = total;
  }
  std::mutex m;
  std::vector<std::string> log;
  std::vector<std::int32_t> progress;
  std::optional<std::int32_t> ended;
  std::string current;
  int scrolls = 0;
  int ui_steps = 0;
};

const std::string kSep(107, '-');

struct RunFixture {
  testing::FakePort fake;
  TOptionsSetting options;
  RecordingHost host;

  std::shared_ptr<TClearTaskThread> Run(RunMode mode, std::vector<std::string> keys,
                                        CleanerResolver resolver = {}, RunFlags flags = {}) {
    auto run = TClearTaskThread::Create(mode, host, options, fake.port, std::move(keys), flags,
                                        std::move(resolver));
    run->Start();
    run->WaitFor();
    return run;
  }
};

TEST(Run, OneEmptyItemHasNoSeparatorBeforeItsHeader) {
  RunFixture f;
  f.Run(RunMode::Test, {"Windows - Recent Documents"});
  EXPECT_EQ(f.host.log,
            (std::vector<std::string>{
                "Test: Clearing Windows - Recent Documents ...", "",
                "0 items will be removed; 0 KB will be removed.", "", kSep,
                "Total items will be removed = 0 ; Total files will be removed = 0 KB", kSep}));
  EXPECT_EQ(f.host.ended, 0);
  EXPECT_EQ(f.host.current, "Windows - Recent Documents");
  EXPECT_EQ(f.host.ui_steps, 2);  // reset and finish of the one item
}

TEST(Run, CountsBytesAndPhrasesByMode) {
  RunFixture f;
  const auto cleaner = [](std::string_view key) -> Cleaner {
    return [first = key == "A - x"](Executor& executor) {
      RunContext& run = executor.run();
      if (!run.FastLog()) run.AppendLog(run.LogPrefix() + "deleting C:\\x");
      Tally tally;
      tally.items = first ? 12 : 1222;
      tally.bytes = first ? 1'234'944 : 1025;
      return tally;
    };
  };
  f.options.FastScan = false;
  const auto run = f.Run(RunMode::Clean, {"A - x", "B - y"}, cleaner);
  EXPECT_EQ(
      f.host.log,
      (std::vector<std::string>{
          "Clean: Clearing A - x ...", "Clean: deleting C:\\x", "",
          "12 items to be removed; 1,206 KB to be removed.", "", kSep, "Clean: Clearing B - y ...",
          "Clean: deleting C:\\x", "", "1222 items to be removed; 2 KB to be removed.", "", kSep,
          "Total items to be removed = 1234 ; Total files to be removed = 1,208 KB", kSep}));
  EXPECT_EQ(f.host.progress, (std::vector<std::int32_t>{12, 1234}));
  EXPECT_EQ(f.host.ended, 1234);
  // Each item's tally is kept in run order.
  ASSERT_EQ(run->ItemTallies().size(), 2u);
  EXPECT_EQ(run->ItemTallies()[1].key, "B - y");
  EXPECT_EQ(run->ItemTallies()[1].tally.bytes, 1025u);

  // Started fast (the hidden preparation pass), the run writes no entry lines though the
  // user's Fast Mode is off, and leaves that setting as it is.
  RunFixture fast;
  fast.options.FastScan = false;
  fast.Run(RunMode::Test, {"A - x"}, cleaner, RunFlags{true, false});
  EXPECT_EQ(fast.host.log[1], "");
  EXPECT_FALSE(fast.options.FastScan);
}

TEST(Run, StopDuringTheThirdItemEndsAfterItsSummary) {
  RunFixture f;
  std::shared_ptr<TClearTaskThread> self;
  auto run = TClearTaskThread::Create(RunMode::Test, f.host, f.options, f.fake.port,
                                      {"A - 1", "A - 2", "A - 3", "A - 4"}, {},
                                      [&](std::string_view key) -> Cleaner {
                                        return [&, key = std::string(key)](Executor& executor) {
                                          RunContext& ctx = executor.run();
                                          Tally tally;
                                          for (int i = 0; i < 5; ++i) {
                                            if (ctx.Terminated()) break;
                                            tally.Count();
                                            ctx.AppendLog("entry " + key);
                                            if (key == "A - 3" && i == 1) self->Terminate();
                                          }
                                          return tally;
                                        };
                                      });
  self = run;
  run->Start();
  run->WaitFor();
  self.reset();
  const std::vector<std::string>& log = f.host.log;
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[log.size() - 4], "entry A - 3");
  EXPECT_EQ(log[log.size() - 2], "2 items will be removed; 0 KB will be removed.");
  EXPECT_EQ(log.back(), "");
  EXPECT_EQ(std::count(log.begin(), log.end(), kSep), 2);  // none after the third item
  EXPECT_FALSE(f.host.ended);
  EXPECT_EQ(f.host.progress, (std::vector<std::int32_t>{5, 10, 12}));
  run->Terminate();  // a late stop request is harmless
}

TEST(Run, EscapedErrorEndsSilently) {
  RunFixture f;
  f.Run(RunMode::Test, {"A - ok", "A - bad", "A - never"}, [](std::string_view key) -> Cleaner {
    if (key == "A - bad") return [](Executor&) -> Tally { throw std::runtime_error("x"); };
    return {};
  });
  EXPECT_EQ(f.host.log.back(), "Test: Clearing A - bad ...");
  EXPECT_FALSE(f.host.ended);
}

TEST(Run, StopBeforeStartWritesNothing) {
  RunFixture f;
  auto run = TClearTaskThread::Create(RunMode::Test, f.host, f.options, f.fake.port, {"A - 1"});
  run->Terminate();
  run->Start();
  run->WaitFor();
  EXPECT_TRUE(f.host.log.empty());
  EXPECT_FALSE(f.host.ended);
}

TEST(Run, RunFreesItselfWhenTheCallerLetsGo) {
  RunFixture f;
  std::weak_ptr<TClearTaskThread> weak;
  {
    auto run = TClearTaskThread::Create(RunMode::Test, f.host, f.options, f.fake.port, {"A - 1"});
    weak = run;
    run->Start();
  }
  for (int i = 0; i < 1000 && !weak.expired(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(weak.expired());
  // Read under the host's lock: the worker wrote it so, and it may not have been joined.
  const std::lock_guard lock(f.host.m);
  EXPECT_EQ(f.host.ended, 0);
}

TEST(Run, ScrollLogEveryFiftyInTestTwentyFiveOtherwise) {
  for (auto [mode, every] : {std::pair{RunMode::Test, 50}, std::pair{RunMode::Unattended, 25}}) {
    RunFixture f;
    int scrolls_in_cleaner = -1;
    f.Run(mode, {"A - 1"}, [&](std::string_view) -> Cleaner {
      return [&](Executor& executor) {
        RunContext& run = executor.run();
        const int before = f.host.scrolls;
        for (int i = 0; i < 100; ++i) run.ScrollLog(50);
        scrolls_in_cleaner = f.host.scrolls - before;
        run.ScrollLog(0);
        return Tally{};
      };
    });
    EXPECT_EQ(scrolls_in_cleaner, 100 / every);
  }
}

TEST(FormatKB, RoundsUpAndGroups) {
  const std::pair<std::uint64_t, const char*> cases[] = {{0, "0"},
                                                         {1, "1"},
                                                         {1024, "1"},
                                                         {1025, "2"},
                                                         {1'048'577, "1,025"},
                                                         {1023ull * 1024, "1,023"},
                                                         {999ull * 1024, "999"},
                                                         {1'264'196'608ull, "1,234,567"},
                                                         {~0ull, "18,014,398,509,481,984"}};
  for (auto [bytes, text] : cases) EXPECT_EQ(FormatKB(bytes), text) << bytes;
}

}  // namespace
}  // namespace morvel
