#include "engine/community/community_cleaner.h"

#include <string>
#include <utility>

#include "engine/community/compile.h"
#include "engine/community/variables.h"
#include "engine/folder_guard.h"

namespace morvel::community {

namespace {

// What a Test tells before the entry's own lines: its warning, and its lines left out.
void WriteNotes(RunContext& run, const Entry& entry) {
  if (!entry.warning.empty()) {
    run.AppendLog(run.LogPrefix() + "Warning: " + entry.warning);
    run.ScrollLog(0);
  }
  for (const SkippedLine& line : entry.skipped)
    LogSkipped(run,
               std::string(kCommunityFile) + " line " + std::to_string(line.line) + " \"" +
                   line.text + "\"",
               line.why);
}

}  // namespace

Cleaner CleanerOf(std::shared_ptr<const Entry> entry) {
  return [entry = std::move(entry)](Executor& executor) {
    RunContext& run = executor.run();
    if (run.IsTestMode()) WriteNotes(run, *entry);
    const VariableValues values(run.port().system, run.port().registry);
    return executor.Run(CompileEntry(*entry, values));
  };
}

CleanerResolver ResolverWith(std::shared_ptr<const CommunityItems> items) {
  return [items = std::move(items)](std::string_view key) -> Cleaner {
    if (items)
      if (const Entry* entry = items->Find(key))
        return CleanerOf(std::shared_ptr<const Entry>(items, entry));  // items keep it alive
    return CleanerFor(DispatchKey(key), key);
  };
}

}  // namespace morvel::community
