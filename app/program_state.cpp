#include "app/program_state.h"

#include "engine/installed_programs.h"

namespace morvel::app {

ProgramState LoadProgramState(platform::Port& port, const WindowDefaults& window) {
  ProgramState state;
  const std::string folder = port.system.ExecutableFolder();
  FillApplications(state.catalogue, port.registry, port.files, folder);
  state.community = community::LoadCommunityItems(port, state.catalogue);
  LoadSettings(ReadSettingsFile(port.files, folder), state.options, state.catalogue, window);
  state.catalogue.StoreRootExpansion(false, state.options.FirstNodeExpand);
  return state;
}

void SaveProgramState(platform::Port& port, const ProgramState& state,
                      const WindowPlacement& window) {
  const std::string folder = port.system.ExecutableFolder();
  // A settings.ini that is there but cannot be read now is left as it is, as a failed
  // write would leave it; neither is reported to the user.
  auto ini = ReadIniForUpdate(port.files, folder + kSettingsFile);
  if (!ini) return;
  SaveSettings(ini.value, state.options, state.catalogue, window);
  (void)WriteSettingsFile(port.files, folder, ini.value);
}

}  // namespace morvel::app
