#include "engine/definition_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/dispatch.h"
#include "engine/entry_path.h"
#include "engine/entry_text.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/installed_programs.h"
#include "engine/item_counters.h"
#include "engine/registry_hives.h"
#include "engine/registry_removal.h"

namespace morvel {

namespace {

using platform::RootKey;

constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kNotAdministrator = "You must have administrators user.";

struct Macro {
  std::string_view name;
  std::string value;
};
using Macros = std::array<Macro, 6>;

Macros ResolveMacros(RunContext& run) {
  const platform::Registry& registry = run.port().registry;
  // A value that is missing or not text resolves to empty text.
  auto shell_folder = [&](RootKey root, std::string_view name) {
    return platform::ReadText(registry, root, kShellFolders, name).value_or("");
  };
  return {{
      {"%ProgramFiles%", GetProgramFilesFolder(run)},
      {"%windir%", run.port().system.WindowsFolder()},
      {"{Local AppData}", shell_folder(RootKey::CurrentUser, "Local AppData")},
      {"{Current AppData}", shell_folder(RootKey::CurrentUser, "AppData")},
      {"{Common AppData}", shell_folder(RootKey::LocalMachine, "Common AppData")},
      {"{C: Drive}", "C:\\"},
  }};
}

// Splits at the first `separator`: the part before it and the part after it (empty when
// there is none).
std::pair<std::string_view, std::string_view> SplitFirst(std::string_view text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return {text, {}};
  return {text.substr(0, at), text.substr(at + 1)};
}

class SectionRun {
 public:
  SectionRun(RunContext& run, FolderOrigin origin)
      : run_(run), macros_(ResolveMacros(run)), origin_(origin) {}

  void RegistryEntry(std::string_view value) {
    const auto [root_text, rest] = SplitFirst(value, '\\');
    const std::string root = UpperCase(root_text);
    if (!ConfirmTopLevelKey(root, rest)) return;
    if (rest.find(',') == std::string_view::npos) {
      // Key entries are carried out under HKEY_LOCAL_MACHINE too, without the
      // administrator test.
      AddToItemCount(run_, DeleteKeyByRootName(run_, root, rest));
      return;
    }
    const auto [key_path, value_name] = SplitFirst(rest, ',');
    if (root == kLocalMachine && !MayChangeLocalMachineValues()) {
      if (!told_not_administrator_) {
        told_not_administrator_ = true;
        if (run_.mode() != RunMode::Unattended)
          run_.port().questions.Ask(platform::Question{kNotAdministrator, "", platform::Buttons::Ok,
                                                       platform::Icon::None, platform::Answer::Ok});
      }
      return;
    }
    AddToItemCount(run_, DeleteValueByRootName(run_, root, key_path, value_name));
  }

  void FileEntry(std::string_view value) {
    std::string entry(value);
    if (entry.find('\\') == std::string::npos) entry += '\\';
    const auto [first, rest] = SplitFirst(entry, '\\');
    std::string base(first);
    for (const Macro& macro : macros_) {
      if (macro.name != first) continue;
      // An unresolved macro would leave a path starting with "\": the root of whatever
      // drive is current. Nothing of the kind was meant.
      if (macro.value.empty()) return;
      base = macro.value;
      break;
    }
    if (base.empty() || base.back() != '\\') base += '\\';
    const auto [folder, mask] = SplitFirst(rest, ',');
    if (rest.find(',') == std::string_view::npos)
      bytes_ += CleanFolder(run_, Place(base + std::string(rest)), true, true, "", run_.ItemCount(),
                            origin_);
    else
      bytes_ += CleanFolderByMask(run_, Place(base + std::string(folder)), mask, run_.ItemCount(),
                                  false, origin_);
  }

  [[nodiscard]] std::uint64_t bytes() const { return bytes_; }

 private:
  // A key right below a root (HKEY_CURRENT_USER\Software, HKEY_LOCAL_MACHINE\SYSTEM) holds
  // a whole program world, as a drive root holds every file: the user's own list asks
  // before removing or emptying one, as it asks before emptying a drive root. Test mode
  // asks nothing; No skips the entry.
  bool ConfirmTopLevelKey(const std::string& root, std::string_view rest) {
    if (origin_ != FolderOrigin::User || run_.IsTestMode()) return true;
    const auto [key_path, value_name] = SplitFirst(rest, ',');
    if (!value_name.empty()) return true;  // one named value
    std::string_view key = key_path;
    while (key.starts_with('\\')) key.remove_prefix(1);
    while (key.ends_with('\\')) key.remove_suffix(1);
    // HKEY_USERS\<SID>\Software is HKEY_CURRENT_USER\Software by another name.
    const auto root_key = RootKeyFromName(root);
    if (!root_key || !IsRightBelowHive(*root_key, key)) return true;
    // Only about a key that is there, as the drive root is asked about when it exists.
    if (!run_.port().registry.KeyExists(*root_key, key)) return true;
    const std::string name = root + "\\" + std::string(key);
    const std::string text =
        rest.find(',') == std::string_view::npos
            ? "Do you want to delete the registry key " + name + " with all its keys and values?"
            : "Do you want to delete all keys and values under " + name + "?";
    return AskBeforeRemoving(run_, text);
  }

  // The user's own path as Windows reads it, so that every question names the folder it
  // really asks about.
  std::string Place(const std::string& path) const {
    return origin_ == FolderOrigin::User ? NormalisedEntryPath(path) : path;
  }

  bool MayChangeLocalMachineValues() {
    if (!may_change_local_machine_) {
      const platform::SystemInfo& system = run_.port().system;
      may_change_local_machine_ =
          system.Version().family == platform::WindowsFamily::Win9x || system.IsAdministrator();
    }
    return *may_change_local_machine_;
  }

  RunContext& run_;
  const Macros macros_;  // resolved once, before any entry
  const FolderOrigin origin_;
  std::uint64_t bytes_ = 0;
  bool told_not_administrator_ = false;
  std::optional<bool> may_change_local_machine_;
};

std::vector<std::string> SectionEntries(RunContext& run, std::string_view file_name,
                                        std::string_view item_key) {
  const std::string section = DefinitionSectionName(item_key);
  if (section.empty()) return {};
  const std::string path = run.port().system.ExecutableFolder() + std::string(file_name);
  const auto bytes = run.port().files.ReadFile(path);
  if (!bytes) return {};
  return IniDocument::Parse(bytes.value).SectionLines(section);
}

// An entry that is not text is never carried out; the log says so, with Fast Mode on too.
bool SkipEntryThatIsNotText(RunContext& run, std::string_view value) {
  const auto fault = EntryTextFault(value);
  if (!fault) return false;
  LogSkipped(run, ShownEntry(value), "an entry holding " + *fault + " is never carried out");
  return true;
}

}  // namespace

void RunDefinitionSection(RunContext& run, std::string_view file_name, std::string_view item_key) {
  // The custom list is the user's own typing; everything else is the program's word.
  SectionRun section(run,
                     file_name == kCustomListFile ? FolderOrigin::User : FolderOrigin::Program);
  for (const std::string& line : SectionEntries(run, file_name, item_key)) {
    if (run.Terminated()) break;
    const std::size_t equals = line.find('=');
    // A line without "=" is no entry; taking it whole as a value could name a relative path.
    if (equals == std::string::npos) continue;
    const std::string_view value = std::string_view(line).substr(equals + 1);
    const bool registry = line.find("DelRegValue") != std::string::npos;
    if (!registry && line.find("DelFile") == std::string::npos) continue;
    if (SkipEntryThatIsNotText(run, value)) continue;
    if (registry)
      section.RegistryEntry(value);
    else
      section.FileEntry(value);
  }
  SetItemBytes(run, section.bytes());
}

}  // namespace morvel
