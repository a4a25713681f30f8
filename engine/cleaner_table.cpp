#include "engine/cleaner_table.h"

#include <string>

#include "engine/definition_file.h"
#include "engine/installed_programs.h"

namespace morvel {

Cleaner CleanerFor(const Route& route, std::string_view key) {
  switch (route.service) {
    case Service::CustomList:
    case Service::Definitions: {
      const char* file = route.service == Service::CustomList ? kCustomListFile : kDefinitionFile;
      return [file, key = std::string(key)](Executor& executor) {
        return RunDefinitionSection(executor, file, key);
      };
    }
    case Service::OwnActions:
      return [actions = route.actions](Executor& executor) {
        return actions ? executor.Run(*actions) : Tally{};
      };
  }
  return {};
}

}  // namespace morvel
