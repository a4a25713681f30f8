#pragma once
// The emulated machine's Protected Storage: the current user's item types, subtypes and
// item names, read from IMAGE/stores/pstore.ini (format in docs/machine-image.md). Items
// deleted through a provider are dropped from the file's lines; the file is written back
// only when an item was deleted.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/protected_storage.h"

namespace morvel::platform::emulated {

// The emulated system code page, Windows-1252, as WideCharToMultiByte and
// MultiByteToWideChar treat it: a character it lacks becomes "?" (one per code point, a
// surrogate pair being one), no best-fit mapping; the five bytes 1252 leaves undefined
// stand for U+0081, U+008D, U+008F, U+0090 and U+009D and back.
std::string Utf16ToWindows1252(std::u16string_view text);
std::u16string Windows1252ToUtf16(std::string_view text);

struct PStoreState;

class EmulatedPStore final : public ProtectedStorage {
 public:
  // Reads the store; a missing file is an available, empty store. Throws
  // MachineImageError, naming the file and line, on anything it cannot read.
  static std::unique_ptr<EmulatedPStore> Load(const std::filesystem::path& file);
  // Parses the bytes of a store file; `display_name` names it in errors.
  static std::unique_ptr<EmulatedPStore> Parse(std::string_view bytes,
                                               std::string_view display_name);
  ~EmulatedPStore() override;

  [[nodiscard]] bool Available() const override;
  Result<std::unique_ptr<StoreProvider>> CreateProvider(
      const std::optional<StoreId>& provider) override;
  [[nodiscard]] std::string ToSystemCodePage(std::u16string_view text) const override;
  [[nodiscard]] std::u16string FromSystemCodePage(std::string_view text) const override;

  // Whether an item was deleted since the store was read or last marked saved.
  [[nodiscard]] bool changed() const;
  void MarkSaved();
  // The file as it now is: the lines it was read with, less those of deleted items.
  [[nodiscard]] std::string Serialize() const;

 private:
  explicit EmulatedPStore(std::shared_ptr<PStoreState> state);
  // Providers share the state so that one outliving the store still works on it.
  std::shared_ptr<PStoreState> state_;
};

}  // namespace morvel::platform::emulated
