#include "cli/commands.h"

#include <ostream>

#include "app/main_controller.h"
#include "app/run_keeper.h"
#include "cli/stream_view.h"
#include "engine/community/community_cleaner.h"

namespace morvel::cli {

namespace {

// The command line has no hot key and no browsers to hide.
class NoHotKeys final : public app::HotKeyPort {
 public:
  std::uint16_t AddAtom(std::string_view) override { return 0; }
  std::uint16_t FindAtom(std::string_view) override { return 0; }
  void DeleteAtom(std::uint16_t) override {}
  bool RegisterHotKey(std::uint16_t, unsigned, std::uint16_t) override { return false; }
  void UnregisterHotKey(std::uint16_t) override {}
  void ShowError(std::string_view) override {}
  void ShowBrowsers(bool) override {}
};

enum class Request { Test, Clean, Unattended };

// Drives the main window's controller as a click would, then takes the runs' messages
// in order until the controller is idle again.
int RunRequest(platform::Port& port, const std::vector<std::string>& keys, Request request,
               const Streams& io, const std::optional<std::string>& report) {
  app::ProgramState state = app::LoadProgramState(port);
  for (const std::string& key : keys) {
    if (state.policy.Blocks(key)) {
      io.err << "morvel: " << key << " may not be cleaned (" << app::kSetByPolicy << ")\n";
      return 2;
    }
  }
  app::MessageQueue queue;
  StreamView view(io.out, io.err, io.progress_on_err, port.questions, queue);
  NoHotKeys hot_keys;
  app::BossKey boss_key(hot_keys);
  app::RunKeeper keeper(
      port, state.options, [&view](std::uint32_t serial) { return view.MakeHost(serial); },
      community::ResolverWith(state.community));
  app::MainController controller(state, port, view, boss_key, keeper.Launcher());
  if (!keys.empty()) controller.SetExplicitKeys(keys);
  if (report) controller.SetReportFile(*report);

  switch (request) {
    case Request::Test:
      controller.OnTestClick();
      break;
    case Request::Clean:
      controller.OnCleanClick();
      break;
    case Request::Unattended:
      // As a clean-once start: no confirmation.
      controller.SetCloseAfterRun();
      controller.OnUnattendedStart(app::Unattended::CommandLine);
      break;
  }
  while (controller.busy() || !queue.empty()) {
    const app::QueuedMessage m = queue.Take();
    controller.Dispatch(m.message, m.wparam, m.serial);
  }
  keeper.DetachAndWaitAll();

  if (const auto& failure = controller.report_failure()) {
    io.err << "morvel: the report was not written: " << *failure << "\n";
    return 1;
  }
  switch (controller.outcome()) {
    case app::Outcome::Finished:
      return request != Request::Test && app::TotalsOf(controller.results()).left_items != 0 ? 3
                                                                                             : 0;
    case app::Outcome::None:  // an unattended run with nothing ticked does not start
      return request == Request::Unattended ? 0 : 1;
    case app::Outcome::Failed:
      io.err << "morvel: the run ended early without its summary\n";
      return 1;
    default:
      return 1;
  }
}

}  // namespace

int ListCommand(platform::Port& port, const Streams& io) {
  const app::ProgramState state = app::LoadProgramState(port);
  const std::string held = " (" + std::string(app::kSetByPolicy) + ")";
  for (const CatalogueRoot& root : state.catalogue.roots()) {
    io.out << (root.state_index == kTicked ? "[x] " : "[ ] ") << root.text << '\n';
    for (const CatalogueLeaf& leaf : root.children)
      io.out << "  " << (leaf.state_index == kTicked ? "[x] " : "[ ] ") << leaf.text
             << (state.policy.HoldsItem(ItemKey(root.text, leaf.text)) ? held : "") << '\n';
  }
  for (const std::string& line : app::PolicyLines(state.policy, state.options))
    io.out << line << '\n';
  return 0;
}

int TestCommand(platform::Port& port, const std::vector<std::string>& keys, const Streams& io,
                const std::optional<std::string>& report) {
  return RunRequest(port, keys, Request::Test, io, report);
}

int CleanCommand(platform::Port& port, const std::vector<std::string>& keys, bool unattended,
                 const Streams& io, const std::optional<std::string>& report) {
  return RunRequest(port, keys, unattended ? Request::Unattended : Request::Clean, io, report);
}

}  // namespace morvel::cli
