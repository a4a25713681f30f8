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

 private:
  std::weak_ptr<TClearTaskThread> run_;
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
  kept.run = TClearTaskThread::Create(mode, *kept.host, options_, port_, std::move(keys), flags,
                                      resolver_);
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
