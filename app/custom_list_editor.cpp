#include "app/custom_list_editor.h"

#include "app/settings_store.h"
#include "engine/entry_text.h"
#include "engine/installed_programs.h"

namespace morvel::app {

namespace {

std::string Why(platform::ErrorKind kind) {
  switch (kind) {
    case platform::ErrorKind::InUse:
      return "it is in use by another program";
    case platform::ErrorKind::AccessDenied:
      return "access denied; the file may be read-only";
    default:
      return platform::ErrorKindName(kind);
  }
}

// Where a file's bytes stop being text, as "a zero byte on line 3"; nullopt for text.
std::optional<std::string> Damage(std::string_view bytes) {
  const IniText decoded = DecodeIniText(bytes);
  std::optional<NonText> fault = FindNonText(decoded.text);
  if (!fault && !decoded.tail.empty())
    fault = NonText{decoded.text.size(), "an odd number of bytes in UTF-16"};
  if (!fault) return std::nullopt;
  return fault->what + " on line " + std::to_string(LineOfOffset(decoded.text, fault->offset));
}

}  // namespace

CustomListEditor::CustomListEditor(platform::FileSystem& files, std::string program_folder)
    : files_(files), path_(std::move(program_folder) + kCustomListFile) {}

CustomListEditor::Opening CustomListEditor::Load() {
  rows_.clear();
  selection_.reset();
  const auto bytes = files_.ReadFile(path_);
  if (!bytes) {
    // No file yet: an empty list, and OK makes the file.
    if (bytes.status.kind == platform::ErrorKind::NotFound) return {};
    return {false, "The custom list cannot be edited now: " + std::string(kCustomListFile) +
                       " cannot be read (" + Why(bytes.status.kind) + ")."};
  }
  const IniDocument document = IniDocument::Parse(bytes.value);
  encoding_ = document.encoding();
  Opening opening;
  if (const auto damage = Damage(bytes.value))
    opening.message = std::string(kCustomListFile) + " is damaged (" + *damage +
                      "). The list shows every entry, the damaged ones marked: they are never "
                      "cleaned. OK writes the list in place of the old one and leaves the rest "
                      "of the file as it is.";
  for (auto& [key, value] : document.SectionEntries(kCustomListSection)) {
    // An empty value names nothing.
    if (value.empty()) continue;
    rows_.push_back(std::move(value));
  }
  return opening;
}

std::vector<std::string> CustomListEditor::rows() const {
  std::vector<std::string> shown;
  shown.reserve(rows_.size());
  for (const std::string& row : rows_) {
    const auto fault = EntryTextFault(row);
    shown.push_back(fault ? ShownEntry(row) + "  (damaged: " + *fault + "; never cleaned)" : row);
  }
  return shown;
}

void CustomListEditor::Select(std::optional<std::size_t> row) {
  selection_ = row && *row < rows_.size() ? row : std::nullopt;
}

bool CustomListEditor::EditEnabled() const {
  return selection_ && IsRegistryEntry(rows_[*selection_]) && !EntryTextFault(rows_[*selection_]);
}

void CustomListEditor::Append(std::string entry) { rows_.push_back(std::move(entry)); }

std::optional<RegistryEntryForm> CustomListEditor::EditForm() const {
  if (!EditEnabled()) return std::nullopt;
  return RegistryEntryForm::FromEntry(rows_[*selection_]);
}

void CustomListEditor::ReplaceSelected(std::string entry) {
  if (selection_) rows_[*selection_] = std::move(entry);
}

void CustomListEditor::RemoveSelected() {
  if (!selection_) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selection_));
  if (rows_.empty())
    selection_.reset();
  else if (*selection_ >= rows_.size())
    selection_ = rows_.size() - 1;
}

std::optional<std::string> CustomListEditor::Save() {
  const std::string failed = std::string(kCustomListFile) + " could not be saved (";
  // Read again: whatever else the file holds now stays as it is.
  auto read = ReadIniForUpdate(files_, path_, IniDocument(encoding_));
  if (!read) return failed + Why(read.status.kind) + "). The list was not saved.";
  IniDocument& document = read.value;
  document.RemoveSection(kCustomListSection);
  int registry = 0, file = 0;
  for (const std::string& row : rows_) {
    const bool is_registry = IsRegistryEntry(row);
    const std::string key = is_registry ? "DelRegValue" + std::to_string(++registry)
                                        : "DelFile" + std::to_string(++file);
    document.Write(kCustomListSection, key, row);
  }
  if (const auto written = files_.WriteFile(path_, document.Serialize()); !written)
    return failed + Why(written.kind) + "). The list was not saved.";
  return std::nullopt;
}

}  // namespace morvel::app
