#include "app/custom_list_entries.h"

#include "common/text.h"
#include "engine/registry_removal.h"

namespace morvel::app {

namespace {

constexpr std::string_view kRegistryMark = "HKEY_";

// Only the first "," of an entry separates: a comma in the path itself would make the run
// clean another key or folder than the one chosen.
constexpr std::string_view kKeyWithComma =
    "A registry key whose name contains \",\" cannot be put on the list: the cleaning would "
    "take the part after \",\" for a value name.";
constexpr std::string_view kFolderWithComma =
    "A folder whose path contains \",\" cannot be put on the list: the cleaning would take "
    "the part after \",\" for a file name.";
constexpr std::string_view kNoRoot =
    "Enter the registry key with its root, like: HKEY_CURRENT_USER\\Software\\Microsoft "
    "(the roots are HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and "
    "HKEY_CURRENT_CONFIG).";
constexpr std::string_view kWholeRoot =
    "A whole root of the registry cannot be put on the list: enter a key below it, like: "
    "HKEY_CURRENT_USER\\Software\\Microsoft";

bool IsFullPath(std::string_view path) {
  const bool drive = path.size() >= 3 && UpperAscii(path[0]) >= 'A' && UpperAscii(path[0]) <= 'Z' &&
                     path[1] == ':' && path[2] == '\\';
  return drive || path.starts_with("\\\\");
}

EntryResult Refused(std::string_view message) { return {std::nullopt, std::string(message)}; }

// A line break would end the entry's line in Clist.dat and start another.
constexpr std::string_view kControlCharacter =
    "The entry cannot hold line breaks or other control characters.";
bool HasControlCharacter(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return true;
  return false;
}

}  // namespace

bool IsRegistryEntry(std::string_view entry) {
  return UpperCase(entry.substr(0, kRegistryMark.size())) == kRegistryMark;
}

RegistryEntryForm RegistryEntryForm::FromEntry(std::string_view entry) {
  RegistryEntryForm form;
  const std::size_t comma = entry.find(',');
  if (comma == std::string_view::npos) {
    form.key = entry;
    return form;
  }
  form.key = entry.substr(0, comma);
  form.value = entry.substr(comma + 1);
  form.action = form.value.empty() ? RegistryAction::DeleteAllValues : RegistryAction::DeleteValue;
  return form;
}

bool RegistryEntryForm::OkEnabled() const {
  if (UpperCase(key).find(kRegistryMark) == std::string::npos) return false;
  return action != RegistryAction::DeleteValue || !value.empty();
}

EntryResult RegistryEntryForm::Accept() const {
  const std::size_t slash = key.find('\\');
  const std::string_view root = std::string_view(key).substr(0, slash);
  // "Software\HKEY_x" would be stored as a file entry: a folder path relative to wherever
  // the program runs.
  if (HasControlCharacter(key) || HasControlCharacter(value)) return Refused(kControlCharacter);
  if (!RootKeyFromName(root)) return Refused(kNoRoot);
  if (slash == std::string::npos || key.find_first_not_of('\\', slash) == std::string::npos)
    return Refused(kWholeRoot);
  if (key.find(',') != std::string::npos) return Refused(kKeyWithComma);
  switch (action) {
    case RegistryAction::DeleteKey:
      return {key, {}};
    case RegistryAction::DeleteAllValues:
      return {key + ",", {}};
    case RegistryAction::DeleteValue:
      break;
  }
  return {key + "," + value, {}};
}

bool FolderEntryForm::FolderExists() const {
  if (folder.empty()) return false;
  const auto entry = files_.Stat(folder);
  return entry.ok() && entry.value.IsFolder();
}

std::vector<std::string> FolderEntryForm::FilesOfFolder() const {
  std::vector<std::string> names;
  if (!FolderExists()) return names;
  (void)files_.Enumerate(folder, [&](const platform::FileEntry& entry) {
    if (!entry.IsFolder()) names.push_back(entry.name);
    return true;
  });
  return names;
}

bool FolderEntryForm::OkEnabled() const {
  if (!FolderExists()) return false;
  if (option == FolderOption::SingleFile) return file.has_value();
  return delete_folder || mask.size() > 2;
}

EntryResult FolderEntryForm::Accept() const {
  if (!FolderExists()) return Refused("The folder " + folder + " does not exist any more.");
  // A relative path would be taken from wherever the program runs when it cleans.
  if (HasControlCharacter(folder) || HasControlCharacter(mask) ||
      HasControlCharacter(file.value_or("")))
    return Refused(kControlCharacter);
  if (!IsFullPath(folder)) return Refused("Enter the folder's full path, like: C:\\Temp");
  if (folder.find(',') != std::string::npos) return Refused(kFolderWithComma);
  if (option == FolderOption::SingleFile) return {folder + "," + file.value_or(""), {}};
  if (delete_folder) return {folder, {}};
  return {folder + "," + mask, {}};
}

}  // namespace morvel::app
