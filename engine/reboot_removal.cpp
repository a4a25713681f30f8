#include "engine/reboot_removal.h"

#include "common/text.h"
#include "engine/write_door.h"

namespace morvel {

namespace {

// Lines as the file holds them: ended by CR LF, LF or CR; a break at the very end does not
// start another line.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

}  // namespace

bool DeleteOnReboot(RunContext& run, std::string_view path) {
  if (run.IsTestMode()) return true;
  platform::FileSystem& files = run.port().files;
  if (!files.Exists(path)) return true;
  return files.DeleteOnReboot(path).ok();
}

void AddWininitRenames(RunContext& run, const std::vector<std::string>& lines) {
  if (run.IsTestMode()) return;
  const std::string windows = run.port().system.WindowsFolder();
  if (windows.empty()) return;
  const std::string path = windows + "\\Wininit.ini";
  platform::FileSystem& files = run.port().files;
  // A Wininit.ini that is a link, or another name of some file, is nobody's list of renames.
  if (!MayWrite(run, path)) return;

  std::vector<std::string> content;
  const auto existing = files.ReadFile(path);
  if (existing.ok()) {
    content = SplitLines(existing.value);
  } else if (existing.status.kind != platform::ErrorKind::NotFound) {
    // Starting from nothing would throw away what the file holds.
    return;
  }

  auto section = content.begin();
  while (section != content.end() && !SameText(*section, "[RENAME]")) ++section;
  if (section != content.end()) {
    // Each line right after the section line: the last given ends up first.
    const auto at = section - content.begin() + 1;
    for (const std::string& line : lines) content.insert(content.begin() + at, line);
  } else {
    content.emplace_back("[rename]");
    content.insert(content.end(), lines.begin(), lines.end());
  }

  std::string text;
  for (const std::string& line : content) {
    text += line;
    text += "\r\n";
  }
  (void)files.WriteFile(path, text);
}

}  // namespace morvel
