#include "engine/definition_file.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/dispatch.h"
#include "engine/entry_path.h"
#include "engine/entry_text.h"
#include "engine/folder_lookups.h"
#include "engine/installed_programs.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;

constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A macro names a folder, or none when its lookup fails; %ProgramFiles% names both
// Program Files folders on 64-bit Windows, where a program may be in either.
struct Macro {
  std::string_view name;
  std::vector<std::string> values;
};
using Macros = std::array<Macro, 6>;

Macros ResolveMacros(RunContext& run) {
  const platform::Registry& registry = run.port().registry;
  // A value that is missing or not text resolves to empty text.
  auto shell_folder = [&](RootKey root, std::string_view name) {
    return std::vector<std::string>{
        platform::ReadText(registry, root, kShellFolders, name).value_or("")};
  };
  return {{
      {"%ProgramFiles%", platform::ProgramFilesFolders(registry)},
      {"%windir%", {run.port().system.WindowsFolder()}},
      {"{Local AppData}", shell_folder(RootKey::CurrentUser, "Local AppData")},
      {"{Current AppData}", shell_folder(RootKey::CurrentUser, "AppData")},
      {"{Common AppData}", shell_folder(RootKey::LocalMachine, "Common AppData")},
      {"{C: Drive}", {"C:\\"}},
  }};
}

// Splits at the first `separator`: the part before it and the part after it (empty when
// there is none).
std::pair<std::string_view, std::string_view> SplitFirst(std::string_view text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return {text, {}};
  return {text.substr(0, at), text.substr(at + 1)};
}

// A program's key is carried out where it stands and, on 64-bit Windows, at its 32-bit
// programs' twin too (HKEY_LOCAL_MACHINE\Software\WOW6432Node\...), as a program may be
// of either width.
void AddRegistryEntry(const platform::Registry& registry, std::string_view value,
                      FolderOrigin origin, Actions& actions) {
  const auto [root_text, rest] = SplitFirst(value, '\\');
  const auto root = RootKeyFromName(UpperCase(root_text));
  if (!root) return;
  if (rest.find(',') == std::string_view::npos) {
    // Key entries are carried out under HKEY_LOCAL_MACHINE too, without the administrator
    // test.
    for (std::string& key : platform::KeyInEveryView(registry, *root, rest))
      actions.push_back(KeyAction(*root, std::move(key), origin));
    return;
  }
  const auto [key_path, value_name] = SplitFirst(rest, ',');
  const bool needs_administrator = *root == RootKey::LocalMachine;
  for (std::string& key : platform::KeyInEveryView(registry, *root, key_path)) {
    if (value_name.empty()) {
      actions.push_back(EmptyKey{*root, std::move(key), origin, needs_administrator});
    } else {
      DeleteValue step = ValueAction(*root, std::move(key), std::string(value_name));
      step.needs_administrator = needs_administrator;
      actions.push_back(std::move(step));
    }
  }
}

// The user's own path as Windows reads it, so that every question names the folder it
// really asks about.
std::string Place(const std::string& path, FolderOrigin origin) {
  return origin == FolderOrigin::User ? NormalisedEntryPath(path) : path;
}

void AddFileEntry(std::string_view value, const Macros& macros, FolderOrigin origin,
                  Actions& actions) {
  std::string entry(value);
  if (entry.find('\\') == std::string::npos) entry += '\\';
  const auto [first, rest] = SplitFirst(entry, '\\');
  std::vector<std::string> bases{std::string(first)};
  for (const Macro& macro : macros)
    if (macro.name == first) {
      // An unresolved macro would leave a path starting with "\": the root of whatever
      // drive is current. Nothing of the kind was meant.
      bases.clear();
      for (const std::string& folder : macro.values)
        if (!folder.empty()) bases.push_back(folder);
      break;
    }
  for (std::string& base : bases) {
    // A path as written keeps its first part, an empty one too ("\\?\C:\...").
    if (base.empty() || base.back() != '\\') base += '\\';
    CleanFolder clean;
    if (rest.find(',') == std::string_view::npos) {
      // The folder with everything in it, itself included.
      clean = FolderAction(InFolder(Place(base + std::string(rest), origin)));
      clean.remove_self = true;
    } else {
      // The folder's files that match the mask; its sub-folders are not entered.
      const auto [folder, mask] = SplitFirst(rest, ',');
      clean = FolderAction(InFolder(Place(base + std::string(folder), origin)),
                           {Mask(std::string(mask))}, Depth::ThisFolder);
    }
    clean.origin = origin;
    actions.push_back(std::move(clean));
  }
}

std::vector<std::string> SectionEntries(RunContext& run, std::string_view file_name,
                                        std::string_view item_key) {
  const std::string section = DefinitionSectionName(item_key);
  if (section.empty()) return {};
  const std::string path = run.port().system.ExecutableFolder() + std::string(file_name);
  const auto bytes = run.port().files.ReadFile(path);
  if (!bytes) return {};
  return IniDocument::Parse(bytes.value).SectionLines(section);
}

// An entry that is not text is never carried out; when its turn comes the log says so,
// with Fast Mode on too.
bool SkipEntryThatIsNotText(std::string_view value, Actions& actions) {
  const auto fault = EntryTextFault(value);
  if (!fault) return false;
  Special refused = SpecialAction(SpecialStep::RefusedEntry, {}, ShownEntry(value));
  refused.reason = "an entry holding " + *fault + " is never carried out";
  actions.push_back(std::move(refused));
  return true;
}

}  // namespace

Actions CompileDefinitionSection(RunContext& run, std::string_view file_name,
                                 std::string_view item_key) {
  // The custom list is the user's own typing; everything else is the program's word.
  const FolderOrigin origin =
      file_name == kCustomListFile ? FolderOrigin::User : FolderOrigin::Program;
  const Macros macros = ResolveMacros(run);
  Actions actions;
  for (const std::string& line : SectionEntries(run, file_name, item_key)) {
    const std::size_t equals = line.find('=');
    // A line without "=" is no entry; taking it whole as a value could name a relative path.
    if (equals == std::string::npos) continue;
    const std::string_view value = std::string_view(line).substr(equals + 1);
    const bool registry = line.find("DelRegValue") != std::string::npos;
    if (!registry && line.find("DelFile") == std::string::npos) continue;
    if (SkipEntryThatIsNotText(value, actions)) continue;
    if (registry)
      AddRegistryEntry(run.port().registry, value, origin, actions);
    else
      AddFileEntry(value, macros, origin, actions);
  }
  return actions;
}

Tally RunDefinitionSection(Executor& executor, std::string_view file_name,
                           std::string_view item_key) {
  return executor.Run(CompileDefinitionSection(executor.run(), file_name, item_key));
}

}  // namespace morvel
