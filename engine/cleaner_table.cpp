#include "engine/cleaner_table.h"

#include "engine/definition_file.h"
#include "engine/installed_programs.h"

namespace morvel {

Cleaner CleanerFor(const Route& route) {
  switch (route.service) {
    case Service::CustomList:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kCustomListFile, key);
      };
    case Service::Definitions:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kDefinitionFile, key);
      };
    case Service::OwnCleaner:
      if (route.clean == nullptr) return nullptr;
      return [clean = route.clean](RunContext& run, std::string_view) { clean(run); };
  }
  return nullptr;
}

}  // namespace morvel
