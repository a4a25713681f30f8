#pragma once
// The settings.ini that the installer and the zip ship for a first start: a selection of
// items ticked, everything else left to the program's own defaults. The program itself
// still starts with nothing ticked when it finds no settings.ini.

#include <string>
#include <vector>

namespace morvel::packaging {

// The file's bytes with `keys` ticked, as the program would have saved them: each item
// key of the fixed catalogue ticks its leaf and so its category. Throws
// std::invalid_argument for a key that names no item of the fixed catalogue.
std::string FirstStartSettings(const std::vector<std::string>& keys);

}  // namespace morvel::packaging
