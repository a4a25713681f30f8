#include "app/program_state.h"

#include "engine/installed_programs.h"

namespace morvel::app {

ProgramState LoadProgramState(platform::Port& port, const WindowDefaults& window) {
  ProgramState state;
  const std::string folder = port.system.ExecutableFolder();
  FillApplications(state.catalogue, port.registry, port.files, folder);
  state.community = community::LoadCommunityItems(port, state.catalogue);
  const IniDocument ini = ReadSettingsFile(port.files, folder);
  LoadSettings(ini, state.options, state.catalogue, window);
  state.report_path = ini.ReadString(kReportSection, kReportPathKey, "");
  state.stored = state.options;
  state.stored_ticks = state.catalogue.TickedNodeKeys();
  state.policy = ReadPolicy(port.registry);
  ApplyPolicy(state.policy, state.options, state.catalogue);
  if (state.policy.report_path) state.report_path = *state.policy.report_path;
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
  TOptionsSetting options = state.options;
  RestoreStoredValues(state.policy, state.stored, options);
  Catalogue catalogue = state.catalogue;
  RestoreStoredTicks(state.policy, state.stored_ticks, catalogue);
  SaveSettings(ini.value, options, catalogue, window);
  (void)WriteSettingsFile(port.files, folder, ini.value);
}

}  // namespace morvel::app
