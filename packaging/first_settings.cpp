#include "packaging/first_settings.h"

#include <stdexcept>

#include "app/settings_store.h"
#include "common/ini_file.h"
#include "engine/catalogue.h"

namespace morvel::packaging {

namespace {

constexpr const char* kNodeSelected = "NodeSelected";

// Comment lines stay where they are when the program rewrites the file.
constexpr const char* kHeader =
    "; Morvel's settings. The installer put this file here with a first selection of\r\n"
    "; items to clean; Morvel rewrites it when it closes. Without it Morvel starts with\r\n"
    "; nothing ticked.\r\n\r\n";

}  // namespace

std::string FirstStartSettings(const std::vector<std::string>& keys) {
  Catalogue catalogue = Catalogue::Fixed();
  catalogue.SetAll(kUnticked);
  for (const std::string& key : keys) {
    const auto node = catalogue.FindByKey(key);
    if (!node || !node->leaf) throw std::invalid_argument("no item of the catalogue: " + key);
    // A click on the leaf's box, which also ticks its category as the tree does.
    if (catalogue.StateOf(*node) != kTicked) catalogue.OnMouseDown(*node, HitArea::StateImage);
  }
  // The program's own writer gives the ticks; of its sections only they are kept, so
  // that every other setting, the window's place included, is the program's default.
  IniDocument saved;
  SaveSettings(saved, TOptionsSetting{}, catalogue, WindowPlacement{});
  IniDocument file = IniDocument::Parse(kHeader);
  for (const auto& [key, value] : saved.SectionEntries(kNodeSelected))
    file.Write(kNodeSelected, key, value);
  return file.Serialize();
}

}  // namespace morvel::packaging
