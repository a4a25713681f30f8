#include "cli/commands.h"

#include <ostream>

#include "app/settings_store.h"
#include "cli/stream_host.h"
#include "engine/clear_task_thread.h"
#include "engine/installed_programs.h"

namespace morvel::cli {

namespace {

constexpr const char* kEmptySelection =
    "Please select items you want to clear from the left list firstly.";
constexpr const char* kCloseFirefox = "Please close Mozilla Firefox firstly!";

struct RunOutcome {
  bool ended_normally = false;
  std::int32_t total = 0;
};

RunOutcome RunOnce(RunMode mode, platform::Port& port, const TOptionsSetting& options,
                   const std::vector<std::string>& keys, std::ostream* log, std::ostream* progress,
                   std::int32_t expected_total) {
  StreamHost host(log, progress, expected_total);
  auto run = TClearTaskThread::Create(mode, host, options, port, keys);
  run->Start();
  run->WaitFor();
  const auto ended = host.ended_total();
  return {ended.has_value(), ended.value_or(0)};
}

std::vector<std::string> ChosenKeys(const ProgramState& state,
                                    const std::vector<std::string>& keys) {
  return keys.empty() ? state.catalogue.CollectTickedKeys() : keys;
}

bool FirefoxChosen(const ProgramState& state, const std::vector<std::string>& keys) {
  if (keys.empty()) return state.catalogue.IsFirefoxTicked();
  // Named keys tick their leaves, and a ticked leaf ticks its root.
  const std::string prefix = ItemKey(kFirefoxRoot, "");
  for (const std::string& key : keys)
    if (key.rfind(prefix, 0) == 0 || key == kFirefoxRoot) return true;
  return false;
}

bool FirefoxOpen(const platform::WindowSystem& windows) {
  return windows.TopLevelWindowExists("MozillaUIWindowClass") ||
         windows.TopLevelWindowExists("MozillaWindowClass");
}

int RunFailed(const Streams& io) {
  io.err << "morvel: the run ended early without its summary\n";
  return 1;
}

}  // namespace

ProgramState LoadProgramState(platform::Port& port) {
  ProgramState state;
  const std::string folder = port.system.ExecutableFolder();
  FillApplications(state.catalogue, port.registry, port.files, folder);
  LoadSettings(ReadSettingsFile(port.files, folder), state.options, state.catalogue,
               WindowDefaults{});
  state.catalogue.StoreRootExpansion(false, state.options.FirstNodeExpand);
  return state;
}

int ListCommand(platform::Port& port, const Streams& io) {
  const ProgramState state = LoadProgramState(port);
  for (const CatalogueRoot& root : state.catalogue.roots()) {
    io.out << (root.state_index == kTicked ? "[x] " : "[ ] ") << root.text << '\n';
    for (const CatalogueLeaf& leaf : root.children)
      io.out << "  " << (leaf.state_index == kTicked ? "[x] " : "[ ] ") << leaf.text << '\n';
  }
  return 0;
}

int TestCommand(platform::Port& port, const std::vector<std::string>& keys, const Streams& io) {
  const ProgramState state = LoadProgramState(port);
  const std::vector<std::string> chosen = ChosenKeys(state, keys);
  if (chosen.empty()) {
    io.err << kEmptySelection << '\n';
    return 1;
  }
  const RunOutcome outcome =
      RunOnce(RunMode::Test, port, state.options, chosen, &io.out, nullptr, 0);
  return outcome.ended_normally ? 0 : RunFailed(io);
}

int CleanCommand(platform::Port& port, const std::vector<std::string>& keys, bool unattended,
                 const Streams& io) {
  ProgramState state = LoadProgramState(port);
  const std::vector<std::string> chosen = ChosenKeys(state, keys);
  if (chosen.empty()) {
    // An unattended run with nothing ticked simply does not start.
    if (unattended) return 0;
    io.err << kEmptySelection << '\n';
    return 1;
  }
  if (FirefoxChosen(state, keys) && FirefoxOpen(port.windows)) {
    io.err << kCloseFirefox << '\n';
    return 1;
  }
  if (unattended) {
    const RunOutcome outcome =
        RunOnce(RunMode::Unattended, port, state.options, chosen, &io.out, nullptr, 0);
    return outcome.ended_normally ? 0 : RunFailed(io);
  }
  if (state.options.AskForSweep) {
    const platform::Question ask{
        "This process will permanently delete files from your system.\n"
        "It's better to close all programs you want to clear their history, the software can "
        "not delete the entries being used by those programs such as Internet Explorer.\n"
        "Are you sure you wish to proceed?",
        "Run Morvel", platform::Buttons::YesNo, platform::Icon::Warning, platform::Answer::No};
    if (port.questions.Ask(ask) != platform::Answer::Yes) {
      io.err << "morvel: cleaning cancelled\n";
      return 1;
    }
  }
  // The preparation pass counts with Fast Mode forced on and its log hidden; its total is
  // what the removal pass's percentage is measured against.
  const bool saved_fast_scan = state.options.FastScan;
  state.options.FastScan = true;
  const RunOutcome preparation =
      RunOnce(RunMode::Test, port, state.options, chosen, nullptr, nullptr, 0);
  state.options.FastScan = saved_fast_scan;
  if (!preparation.ended_normally) return RunFailed(io);

  const RunOutcome removal = RunOnce(RunMode::Clean, port, state.options, chosen, &io.out,
                                     io.progress_on_err ? &io.err : nullptr, preparation.total);
  return removal.ended_normally ? 0 : RunFailed(io);
}

}  // namespace morvel::cli
