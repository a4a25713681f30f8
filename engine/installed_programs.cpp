#include "engine/installed_programs.h"

#include "common/ini_file.h"

namespace morvel {

using platform::RootKey;

std::vector<std::string> InstalledDisplayNames(const platform::Registry& registry) {
  std::vector<std::string> names;
  for (const std::string& key :
       platform::KeyInEveryView(registry, RootKey::LocalMachine, kUninstallKey)) {
    auto subkeys = registry.SubKeyNames(RootKey::LocalMachine, key, platform::Access::Full);
    if (!subkeys) continue;
    for (const std::string& sub : subkeys.value) {
      auto name =
          platform::ReadText(registry, RootKey::LocalMachine, key + "\\" + sub, "DisplayName");
      if (name && !name->empty()) names.push_back(std::move(*name));
    }
  }
  return names;
}

std::vector<std::string> IniSectionNames(const platform::FileSystem& files,
                                         const std::string& path) {
  auto bytes = files.ReadFile(path);
  if (!bytes) return {};
  return IniDocument::Parse(bytes.value).SectionNames();
}

void FillApplications(Catalogue& catalogue, const platform::Registry& registry,
                      const platform::FileSystem& files, const std::string& exe_folder) {
  catalogue.FillApplications(IniSectionNames(files, exe_folder + kDefinitionFile),
                             InstalledDisplayNames(registry));
}

}  // namespace morvel
