#pragma once
// The two entry dialogs of the custom list (frmAddRegistry, frmAddFolder): what their
// controls hold, when OK is enabled, and the one entry text OK hands back in the syntax
// of the definition files. An entry is refused, with a message, where the cleaning run
// would read it as something else than what the user chose.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace morvel::app {

// A registry entry: its text, upper-cased, starts with "HKEY_". Any other text is a file
// entry.
bool IsRegistryEntry(std::string_view entry);

// What OK gave: the entry, or the message that keeps the dialog open.
struct EntryResult {
  std::optional<std::string> entry;
  std::string message;
};

enum class RegistryAction { DeleteKey, DeleteAllValues, DeleteValue };

struct RegistryEntryForm {
  std::string key;
  RegistryAction action = RegistryAction::DeleteKey;
  std::string value;

  // The form filled from an existing row, for editing it.
  static RegistryEntryForm FromEntry(std::string_view entry);
  [[nodiscard]] bool ValueEnabled() const { return action == RegistryAction::DeleteValue; }
  [[nodiscard]] bool OkEnabled() const;
  [[nodiscard]] EntryResult Accept() const;
};

enum class FolderOption { SingleFile, WholeFolder };

class FolderEntryForm {
 public:
  explicit FolderEntryForm(const platform::FileSystem& files) : files_(files) {}

  std::string folder;
  FolderOption option = FolderOption::SingleFile;
  std::optional<std::string> file;  // the file chosen in the list
  bool delete_folder = true;        // else the files matching `mask`
  std::string mask = "*.";

  [[nodiscard]] bool FolderExists() const;
  // The names of the files (not folders) of `folder`, in the order it lists them; empty
  // when it does not exist.
  [[nodiscard]] std::vector<std::string> FilesOfFolder() const;
  [[nodiscard]] bool OkEnabled() const;
  // Checks the folder again: it may have gone since it was chosen.
  [[nodiscard]] EntryResult Accept() const;

 private:
  const platform::FileSystem& files_;
};

}  // namespace morvel::app
