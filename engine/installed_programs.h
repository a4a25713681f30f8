#pragma once
// What the catalogue's Applications category is built from: the section names of the
// shipped definition file and the display names of installed programs.

#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace morvel {

inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kDefinitionFile = "Morvel.dat";
inline constexpr const char* kCustomListFile = "Clist.dat";

// "DisplayName" of every sub-key of the Uninstall key in its listed order, on 64-bit
// Windows the 64-bit programs' and then the 32-bit programs' key (WOW6432Node); sub-keys
// without one, or with an empty one, are left out, as is a key that cannot be opened for
// full access.
std::vector<std::string> InstalledDisplayNames(const platform::Registry& registry);

// Section names of an INI-format file in file order; empty when it is missing.
std::vector<std::string> IniSectionNames(const platform::FileSystem& files,
                                         const std::string& path);

// Fills Applications from `exe_folder` + "Morvel.dat" and the installed programs.
void FillApplications(Catalogue& catalogue, const platform::Registry& registry,
                      const platform::FileSystem& files, const std::string& exe_folder);

}  // namespace morvel
