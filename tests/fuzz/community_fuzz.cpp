// The community file's reader on arbitrary bytes: it always ends with a result, every entry
// has a name and a category, every reason is given, no path of an entry steps out of its
// folder, and what an entry compiles into starts from the machine's own folders.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/community/compile.h"
#include "engine/community/reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace morvel;
using namespace morvel::community;

void CheckPath(const PathPattern& path) {
  for (const std::string& name : path.names) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(name.find_first_not_of(". ") != std::string::npos);
    FUZZ_CHECK(name.find_first_of("\\/|:") == std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadLimits limits;
  limits.max_entries = 64;
  limits.max_lines_per_entry = 64;
  limits.max_skipped = 64;
  const Definitions read =
      ReadDefinitions(std::string_view(reinterpret_cast<const char*>(data), size), limits);
  FUZZ_CHECK(read.entries.size() <= limits.max_entries);
  VariableValues values;
  values.SetFolders(Variable::AppData, {"C:\\Users\\U\\AppData\\Roaming"});
  values.SetFolders(Variable::ProgramFiles, {"C:\\Program Files", "C:\\Program Files (x86)"});
  values.SetFolders(Variable::SystemDrive, {"C:"});
  values.SetUserName("U");
  for (const SkippedLine& line : read.skipped) FUZZ_CHECK(!line.why.empty());
  for (const Entry& entry : read.entries) {
    FUZZ_CHECK(!entry.name.empty() && !entry.category.empty());
    for (const SkippedLine& line : entry.skipped) FUZZ_CHECK(!line.why.empty());
    for (const FileKey& key : entry.file_keys) CheckPath(key.folder);
    for (const PathPattern& path : entry.detect_paths) CheckPath(path);
    for (const RegKey& key : entry.reg_keys)
      FUZZ_CHECK(key.key.path.find('\\') != std::string::npos);
    for (const Action& action : CompileEntry(entry, values)) {
      const auto* clean = std::get_if<CleanFolder>(&action);
      if (clean == nullptr) continue;
      const std::string& base = clean->where.folder;
      FUZZ_CHECK(base == "C:\\Users\\U\\AppData\\Roaming" || base == "C:\\Program Files" ||
                 base == "C:\\Program Files (x86)" || base == "C:\\");
    }
  }
  return 0;
}
