#include "platform/emulated/store_file.h"

#include <system_error>

#include "platform/emulated/host_files.h"
#include "platform/emulated/machine.h"

namespace morvel::platform::emulated {

std::optional<std::string> ReadStoreFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return std::nullopt;
  if (!std::filesystem::is_regular_file(file, error))
    throw MachineImageError(file.string() + ": is not a file");
  std::string bytes;
  if (const int read_error = ReadWholeFile(file, bytes); read_error != 0)
    throw MachineImageError(file.string() +
                            ": cannot be read: " + std::generic_category().message(read_error));
  return bytes;
}

void WriteStoreFile(const std::filesystem::path& file, std::string_view bytes) {
  // Store files live in the image's "stores" folder.
  const std::filesystem::path image = file.parent_path().parent_path();
  if (const int error = WriteFileAtomically(file, bytes, TemporaryJournalOf(image)); error != 0)
    throw MachineImageError(file.string() +
                            ": cannot be written: " + std::generic_category().message(error));
}

}  // namespace morvel::platform::emulated
