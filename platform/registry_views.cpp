// What a program's registry key and folder are called on 64-bit Windows, where Windows
// keeps a second copy of HKEY_LOCAL_MACHINE\Software and a second Program Files for the
// 32-bit programs.

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "platform/registry.h"

namespace morvel::platform {

namespace {

constexpr std::string_view kSoftware = "Software";
constexpr std::string_view kWow32 = "WOW6432Node";
// Shared by both views since Windows 7, and merged into HKEY_CLASSES_ROOT.
constexpr std::string_view kClasses = "Classes";

// The first name of `path` and the rest after its "\" (empty when there is none).
std::pair<std::string_view, std::string_view> FirstName(std::string_view path) {
  const std::size_t cut = path.find('\\');
  if (cut == std::string_view::npos) return {path, {}};
  return {path.substr(0, cut), path.substr(cut + 1)};
}

}  // namespace

std::vector<std::string> KeyInEveryView(const Registry& registry, RootKey root,
                                        std::string_view path) {
  std::vector<std::string> paths{std::string(path)};
  if (root != RootKey::LocalMachine) return paths;
  std::string_view below_root = path;
  while (below_root.starts_with('\\')) below_root.remove_prefix(1);
  const auto [software, rest] = FirstName(below_root);
  const auto [program, ignored] = FirstName(rest);
  if (!SameText(software, kSoftware) || program.empty() || SameText(program, kWow32) ||
      SameText(program, kClasses))
    return paths;
  const std::string wow32 = std::string(software) + "\\" + std::string(kWow32);
  if (!registry.KeyExists(RootKey::LocalMachine, wow32)) return paths;
  paths.push_back(wow32 + "\\" + std::string(rest));
  return paths;
}

std::vector<std::string> ProgramFilesFolders(const Registry& registry) {
  std::vector<std::string> folders;
  for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)"}) {
    auto folder = ReadText(registry, RootKey::LocalMachine,
                           "Software\\Microsoft\\Windows\\CurrentVersion", name);
    if (!folder || folder->empty()) continue;
    if (!folders.empty() &&
        SameText(WithoutTrailingSeparators(folders.front()), WithoutTrailingSeparators(*folder)))
      continue;
    folders.push_back(std::move(*folder));
  }
  return folders;
}

}  // namespace morvel::platform
