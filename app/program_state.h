#pragma once
// What the main window holds once it is created: the catalogue with Applications filled
// and the ticks restored, and the settings record, both as the policies leave them. Both
// front ends load it the same way.

#include <memory>
#include <string>
#include <vector>

#include "app/policy.h"
#include "app/settings_store.h"
#include "engine/catalogue.h"
#include "engine/community/community_items.h"
#include "engine/options_setting.h"
#include "platform/port.h"

namespace morvel::app {

struct ProgramState {
  TOptionsSetting options;
  Catalogue catalogue = Catalogue::Fixed();
  // Where every unattended run writes its report ("[Report] Path=" of settings.ini, or the
  // policy's), %COMPUTERNAME% and %DATE% not yet expanded; empty for none.
  std::string report_path;
  Policy policy;
  // What settings.ini holds for what a policy holds, written back in its place.
  TOptionsSetting stored;
  std::vector<std::string> stored_ticks;
  // The community's entries the catalogue offers; read once at start and shared, never
  // changed, with every run that cleans them.
  std::shared_ptr<const community::CommunityItems> community;
};

// Builds the catalogue (fixed tree, then Applications from Morvel.dat and the installed
// programs, then the community's detected entries from Winapp2.ini), loads settings.ini
// (ticks included), applies the policies and expands the roots as stored.
ProgramState LoadProgramState(platform::Port& port, const WindowDefaults& window = {});

// Writes settings.ini back: the settings record, the ticks and the window's placement; for
// what a policy holds, what settings.ini held.
void SaveProgramState(platform::Port& port, const ProgramState& state,
                      const WindowPlacement& window);

}  // namespace morvel::app
