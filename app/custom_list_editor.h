#pragma once
// The custom list's dialog (frmNewCustomItem): the rows of the "<New List>" section of
// Clist.dat, the selection, what Edit, Remove and OK may do, and writing the section back
// in list order. Clist.dat is replaced as a whole (the port writes a temporary file beside
// it, then puts it in its place) in the encoding it was read in, with every other section
// as it was; a write that fails leaves the old file and the dialog open.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/custom_list_entries.h"
#include "common/ini_file.h"
#include "platform/file_system.h"

namespace morvel::app {

inline constexpr std::string_view kCustomListSection = "<New List>";

class CustomListEditor {
 public:
  // `program_folder` ends with "\": Clist.dat is there.
  CustomListEditor(platform::FileSystem& files, std::string program_folder);

  // Reads the list. `message`: what to tell the user before the dialog shows (a damaged
  // file); `editable` false: the file cannot be read now and the dialog does not open.
  // Damaged entries are shown as rows and written back as they were unless removed.
  struct Opening {
    bool editable = true;
    std::optional<std::string> message;
  };
  Opening Load();

  // The rows as the list shows them: each entry's text, and an entry that is not text (a
  // zero byte or another control character in it, which the cleaning run never carries
  // out) marked as damaged, its control characters written out.
  [[nodiscard]] std::vector<std::string> rows() const;
  [[nodiscard]] std::optional<std::size_t> selection() const { return selection_; }
  void Select(std::optional<std::size_t> row);

  // A registry row that is not damaged.
  [[nodiscard]] bool EditEnabled() const;
  [[nodiscard]] bool RemoveEnabled() const { return selection_.has_value(); }
  [[nodiscard]] bool OkEnabled() const { return !rows_.empty(); }

  // A new row at the end, from an entry dialog's OK.
  void Append(std::string entry);
  // The registry dialog's form for the selected row; nullopt unless EditEnabled.
  [[nodiscard]] std::optional<RegistryEntryForm> EditForm() const;
  void ReplaceSelected(std::string entry);
  // Deletes the selected row and selects the row now at its place, or the new last one.
  void RemoveSelected();

  // A form for a new file or folder entry.
  [[nodiscard]] FolderEntryForm NewFolderForm() const { return FolderEntryForm(files_); }

  // OK: the section written anew in list order (DelRegValue1.., DelFile1.., numbered per
  // kind). nullopt when saved; otherwise the message, and the file is as it was.
  std::optional<std::string> Save();

 private:
  platform::FileSystem& files_;
  const std::string path_;
  IniEncoding encoding_ = IniEncoding::Plain;  // of the file as first read
  std::vector<std::string> rows_;              // the entries as stored
  std::optional<std::size_t> selection_;
};

}  // namespace morvel::app
