#include "engine/cleaner_table.h"

#include "engine/definition_file.h"
#include "engine/installed_programs.h"

namespace morvel {

Cleaner CleanerFor(CleanerId id) {
  switch (id) {
    case CleanerId::CustomList:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kCustomListFile, key);
      };
    case CleanerId::DefinitionFile:
      return [](RunContext& run, std::string_view key) {
        RunDefinitionSection(run, kDefinitionFile, key);
      };
    // Targets without a cleaner yet leave their items empty (header and a 0 summary).
    default:
      return nullptr;
  }
}

}  // namespace morvel
