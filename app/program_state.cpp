#include "app/program_state.h"

#include "engine/installed_programs.h"

namespace morvel::app {

ProgramState LoadProgramState(platform::Port& port, const WindowDefaults& window) {
  ProgramState state;
  const std::string folder = port.system.ExecutableFolder();
  FillApplications(state.catalogue, port.registry, port.files, folder);
  LoadSettings(ReadSettingsFile(port.files, folder), state.options, state.catalogue, window);
  state.catalogue.StoreRootExpansion(false, state.options.FirstNodeExpand);
  return state;
}

void SaveProgramState(platform::Port& port, const ProgramState& state,
                      const WindowPlacement& window) {
  const std::string folder = port.system.ExecutableFolder();
  IniDocument ini = ReadSettingsFile(port.files, folder);
  SaveSettings(ini, state.options, state.catalogue, window);
  // A failed write is not reported to the user.
  (void)WriteSettingsFile(port.files, folder, ini);
}

}  // namespace morvel::app
