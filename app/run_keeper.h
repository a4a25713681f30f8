#pragma once
// Starts the runs of a front end and keeps each with its host until its worker ends: a
// cancelled run may still be leaving its item while the next one runs, so every run has
// a host of its own, and the old one is detached (its lines go nowhere).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/main_view.h"
#include "engine/clear_task_thread.h"

namespace morvel::app {

class RunHostBase : public RunHost {
 public:
  // After this the host shows nothing more of its run, never waits on the window, and
  // answers its questions with their default.
  virtual void Detach() = 0;
};

class RunKeeper {
 public:
  using HostFactory = std::function<std::unique_ptr<RunHostBase>(std::uint32_t serial)>;
  RunKeeper(platform::Port& port, const TOptionsSetting& options, HostFactory make_host,
            CleanerResolver resolver = {})
      : port_(port),
        options_(options),
        make_host_(std::move(make_host)),
        resolver_(std::move(resolver)) {}
  ~RunKeeper();
  RunKeeper(const RunKeeper&) = delete;
  RunKeeper& operator=(const RunKeeper&) = delete;

  // The controller's launcher.
  RunLauncher Launcher();
  // Detaches every host and waits for every worker to end.
  void DetachAndWaitAll();
  [[nodiscard]] std::size_t kept() const { return runs_.size(); }

 private:
  struct Kept {
    std::unique_ptr<RunHostBase> host;
    std::shared_ptr<TClearTaskThread> run;
  };
  std::shared_ptr<RunHandle> Launch(RunMode mode, RunFlags flags, std::vector<std::string> keys,
                                    std::uint32_t serial);

  platform::Port& port_;
  const TOptionsSetting& options_;
  HostFactory make_host_;
  CleanerResolver resolver_;
  std::vector<Kept> runs_;
};

}  // namespace morvel::app
