#include "app/run_keeper.h"

#include <algorithm>

namespace morvel::app {

namespace {

class ThreadHandle final : public RunHandle {
 public:
  explicit ThreadHandle(std::weak_ptr<TClearTaskThread> run) : run_(std::move(run)) {}
  void Terminate() override {
    if (auto run = run_.lock()) run->Terminate();
  }
  [[nodiscard]] std::string Failure() const override {
    const auto run = run_.lock();
    return run ? run->Failure() : std::string();
  }
  [[nodiscard]] std::vector<FinishedItem> FinishedItems() const override {
    std::vector<FinishedItem> items;
    if (const auto run = run_.lock())
      for (const ItemTally& item : run->ItemTallies()) items.push_back({item.key, item.tally});
    return items;
  }

 private:
  std::weak_ptr<TClearTaskThread> run_;
};

// The host of a quiet run (the verify pass): its lines, current item and progress go
// nowhere; its per-item steps and its end reach the front end as any run's do.
class QuietHost final : public RunHostBase {
 public:
  explicit QuietHost(std::unique_ptr<RunHostBase> host) : host_(std::move(host)) {}
  void AppendLog(std::string_view) override {}
  void ScrollLogToEnd() override {}
  void SetCurrentItem(std::string_view) override {}
  void RunOnUiThread(const std::function<void()>& step) override { host_->RunOnUiThread(step); }
  void PostProgress(std::int32_t) override {}
  void PostRunEnded(std::int32_t total) override { host_->PostRunEnded(total); }
  void PostRunFailed() override { host_->PostRunFailed(); }
  void Detach() override { host_->Detach(); }

 private:
  std::unique_ptr<RunHostBase> host_;
};

}  // namespace

RunKeeper::~RunKeeper() { DetachAndWaitAll(); }

RunLauncher RunKeeper::Launcher() {
  return [this](RunMode mode, RunFlags flags, std::vector<std::string> keys, std::uint32_t serial) {
    return Launch(mode, flags, std::move(keys), serial);
  };
}

std::shared_ptr<RunHandle> RunKeeper::Launch(RunMode mode, RunFlags flags,
                                             std::vector<std::string> keys, std::uint32_t serial) {
  // Older runs are cancelled or ended: their hosts show nothing more; ended ones go.
  for (Kept& k : runs_) k.host->Detach();
  std::erase_if(runs_, [](const Kept& k) { return k.run->Finished(); });
  Kept kept{make_host_(serial), nullptr};
  if (flags.quiet) kept.host = std::make_unique<QuietHost>(std::move(kept.host));
  kept.run = TClearTaskThread::Create(mode, *kept.host, options_, flags.quiet ? quiet_port_ : port_,
                                      std::move(keys), flags, resolver_);
  kept.run->Start();
  auto handle = std::make_shared<ThreadHandle>(kept.run);
  runs_.push_back(std::move(kept));
  return handle;
}

void RunKeeper::DetachAndWaitAll() {
  for (Kept& k : runs_) {
    k.host->Detach();
    k.run->Terminate();
  }
  for (Kept& k : runs_) k.run->WaitFor();
  runs_.clear();
}

}  // namespace morvel::app
