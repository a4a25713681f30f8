#include "engine/community/variables.h"

#include "common/text.h"
#include "common/windows_names.h"

namespace morvel::community {

namespace {

using platform::SpecialFolder;

struct VariableRow {
  std::string_view name;
  Variable variable;
};

constexpr std::array<VariableRow, kVariableCount> kVariables = {{
    {"AppData", Variable::AppData},
    {"LocalAppData", Variable::LocalAppData},
    {"LocalLowAppData", Variable::LocalLowAppData},
    {"ProgramData", Variable::ProgramData},
    {"CommonAppData", Variable::CommonAppData},
    {"UserProfile", Variable::UserProfile},
    {"Documents", Variable::Documents},
    {"Music", Variable::Music},
    {"Pictures", Variable::Pictures},
    {"Video", Variable::Video},
    {"Public", Variable::Public},
    {"SystemDrive", Variable::SystemDrive},
    {"WinDir", Variable::WinDir},
    {"SystemRoot", Variable::SystemRoot},
    {"Temp", Variable::Temp},
    {"UserName", Variable::UserName},
    {"ProgramFiles", Variable::ProgramFiles},
    {"CommonProgramFiles", Variable::CommonProgramFiles},
}};
static_assert(static_cast<std::size_t>(Variable::CommonProgramFiles) + 1 == kVariableCount);

constexpr std::string_view kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kUserNameVariable = "%UserName%";

std::size_t Index(Variable variable) { return static_cast<std::size_t>(variable); }

// "C:\..." only: a relative folder or one on a network would be resolved against whatever
// is current, or somewhere else entirely.
bool IsDriveFolder(std::string_view folder) {
  if (folder.size() < 2 || folder[1] != ':') return false;
  const char letter = UpperAscii(folder[0]);
  return letter >= 'A' && letter <= 'Z' && (folder.size() == 2 || folder[2] == '\\');
}

std::vector<std::string> FolderOf(std::string folder) {
  const std::string_view trimmed = WithoutTrailingSeparators(folder);
  if (!IsDriveFolder(trimmed)) return {};
  return {std::string(trimmed)};
}

// The values `names` of HKLM\...\CurrentVersion that are folders, the same folder once.
std::vector<std::string> RegistryFolders(const platform::Registry& registry,
                                         std::initializer_list<std::string_view> names) {
  std::vector<std::string> folders;
  for (std::string_view name : names) {
    auto value =
        platform::ReadText(registry, platform::RootKey::LocalMachine, kCurrentVersion, name);
    if (!value) continue;
    for (std::string& folder : FolderOf(std::move(*value))) {
      bool known = false;
      for (const std::string& seen : folders) known = known || SameText(seen, folder);
      if (!known) folders.push_back(std::move(folder));
    }
  }
  return folders;
}

// Puts the user's name for every "%UserName%" of `name`; false when there is one and the
// name is not known.
bool PutUserName(std::string& name, const std::string& user) {
  for (std::size_t at = 0;;) {
    at = UpperCase(name).find(UpperCase(kUserNameVariable), at);
    if (at == std::string::npos) return true;
    if (user.empty()) return false;
    name.replace(at, kUserNameVariable.size(), user);
    at += user.size();
  }
}

}  // namespace

std::optional<Variable> VariableNamed(std::string_view name) {
  for (const VariableRow& row : kVariables)
    if (SameText(row.name, name)) return row.variable;
  return std::nullopt;
}

std::string_view VariableName(Variable variable) { return kVariables[Index(variable)].name; }

VariableValues::VariableValues(const platform::SystemInfo& system,
                               const platform::Registry& registry) {
  const auto shell = [&system](SpecialFolder folder) {
    return FolderOf(system.SpecialFolderPath(folder));
  };
  const std::string windows = system.WindowsFolder();
  SetFolders(Variable::AppData, shell(SpecialFolder::AppData));
  SetFolders(Variable::LocalAppData, shell(SpecialFolder::LocalAppData));
  SetFolders(Variable::LocalLowAppData, shell(SpecialFolder::LocalLowAppData));
  SetFolders(Variable::ProgramData, shell(SpecialFolder::CommonAppData));
  SetFolders(Variable::CommonAppData, shell(SpecialFolder::CommonAppData));
  SetFolders(Variable::UserProfile, shell(SpecialFolder::Profile));
  SetFolders(Variable::Documents, shell(SpecialFolder::Personal));
  SetFolders(Variable::Music, shell(SpecialFolder::Music));
  SetFolders(Variable::Pictures, shell(SpecialFolder::Pictures));
  SetFolders(Variable::Video, shell(SpecialFolder::Videos));
  SetFolders(Variable::Public, shell(SpecialFolder::Public));
  SetFolders(Variable::SystemDrive, FolderOf(windows.substr(0, 2)));
  SetFolders(Variable::WinDir, FolderOf(windows));
  SetFolders(Variable::SystemRoot, FolderOf(windows));
  SetFolders(Variable::Temp, FolderOf(system.TempFolder()));
  SetFolders(Variable::ProgramFiles,
             RegistryFolders(registry, {"ProgramFilesDir", "ProgramFilesDir (x86)"}));
  SetFolders(Variable::CommonProgramFiles,
             RegistryFolders(registry, {"CommonFilesDir", "CommonFilesDir (x86)"}));
  // A name, not a folder: one that could step out of the folder it is put in is not used.
  std::string user = system.UserName();
  if (user.find_first_of("\\/:*?\"<>|") == std::string::npos && user != "." && user != "..")
    user_name_ = std::move(user);
}

const std::vector<std::string>& VariableValues::Folders(Variable variable) const {
  return folders_[Index(variable)];
}

void VariableValues::SetFolders(Variable variable, std::vector<std::string> folders) {
  folders_[Index(variable)] = std::move(folders);
}

std::optional<std::vector<std::string>> VariableValues::Names(const PathPattern& pattern) const {
  std::vector<std::string> names = pattern.names;
  for (std::string& name : names)
    if (!PutUserName(name, user_name_)) return std::nullopt;
  return names;
}

std::vector<std::string> VariableValues::Expand(const PathPattern& pattern) const {
  const auto names = Names(pattern);
  if (!names) return {};
  std::string below;
  for (const std::string& name : *names) {
    below += '\\';
    below += name;
  }
  std::vector<std::string> paths;
  for (const std::string& folder : Folders(pattern.base))
    paths.push_back(below.empty() && folder.size() == 2 ? folder + "\\" : folder + below);
  return paths;
}

}  // namespace morvel::community
