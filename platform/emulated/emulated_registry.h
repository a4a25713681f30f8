#pragma once
// The emulated machine's registry, kept in a "Windows Registry Editor Version 5.00" file.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace morvel::platform::emulated {

class EmulatedRegistry : public Registry {
 public:
  // An empty registry (no keys below the roots); Serialize gives the header alone, as
  // regedit writes it (UTF-16LE with byte-order mark, CRLF).
  static std::unique_ptr<EmulatedRegistry> Empty();
  // Parses .reg text (UTF-16LE with byte-order mark, or UTF-8 with or without one).
  // Throws MachineImageError "<display_name>:<line>: <what>" on a malformed line.
  static std::unique_ptr<EmulatedRegistry> Parse(std::string bytes, std::string_view display_name);
  // Reads and parses a file; a missing file gives an empty registry.
  static std::unique_ptr<EmulatedRegistry> Load(const std::filesystem::path& file);

  // The .reg text, in the encoding it was read in. Unchanged since parsing: the very bytes
  // that were read.
  [[nodiscard]] virtual std::string Serialize() const = 0;
  // Whether anything changed since it was parsed.
  [[nodiscard]] virtual bool changed() const = 0;

  // Whether HKEY_LOCAL_MACHINE may be written (an administrator). When not, opening its
  // keys with Access::Full and every change below it fail with AccessDenied. Default: yes.
  virtual void SetLocalMachineWritable(bool writable) = 0;
};

}  // namespace morvel::platform::emulated
