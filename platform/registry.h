#pragma once
// The registry as the cleaners see it. Key paths are Windows paths below a root,
// separated by "\", matched without regard to letter case; names come back in the case
// they were created with. Text is UTF-8 throughout.
//
// On 64-bit Windows this is the registry's 64-bit view, whatever this program's own width:
// HKEY_LOCAL_MACHINE\Software (and the other keys Windows keeps twice) is what 64-bit
// programs see, and the 32-bit programs' copy is reached by its own name,
// HKEY_LOCAL_MACHINE\Software\WOW6432Node. 32-bit Windows has one view and no such key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace morvel::platform {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Registry value types with their Windows numbers; other numbers pass through as they are.
enum class ValueType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiString = 7,
  Qword = 11,
};

enum class Access { Read, Full };

// One value: its name ("" is the default value), type and data exactly as Windows
// stores them (strings as UTF-16LE including the terminating zero).
struct RegistryValue {
  std::string name;
  ValueType type = ValueType::None;
  std::vector<std::uint8_t> data;

  static RegistryValue MakeString(std::string name, std::string_view text,
                                  ValueType type = ValueType::String);
  static RegistryValue MakeMultiString(std::string name, const std::vector<std::string>& items);
  static RegistryValue MakeDword(std::string name, std::uint32_t number);
  static RegistryValue MakeQword(std::string name, std::uint64_t number);
  static RegistryValue MakeBinary(std::string name, std::vector<std::uint8_t> bytes,
                                  ValueType type = ValueType::Binary);

  // The text of a String, ExpandString or Link value (unexpanded), read up to the first
  // zero as RegQueryValueEx readers do; nullopt for other types.
  [[nodiscard]] std::optional<std::string> AsText() const;
  // The items of a MultiString value; nullopt for other types.
  [[nodiscard]] std::optional<std::vector<std::string>> AsMultiString() const;
  // A Dword (4 bytes) or Qword (8 bytes) value; nullopt for other types or sizes.
  [[nodiscard]] std::optional<std::uint64_t> AsNumber() const;

  bool operator==(const RegistryValue&) const = default;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Whether the key exists; never creates it.
  [[nodiscard]] virtual bool KeyExists(RootKey root, std::string_view path) const = 0;

  // Names of the direct sub-keys, in Windows' order (sorted by upper-cased name).
  // NotFound when the key is missing; AccessDenied when it cannot be opened with `access`.
  [[nodiscard]] virtual Result<std::vector<std::string>> SubKeyNames(
      RootKey root, std::string_view path, Access access = Access::Read) const = 0;

  // The values of a key in the order they were created. NotFound when the key is missing.
  [[nodiscard]] virtual Result<std::vector<RegistryValue>> Values(RootKey root,
                                                                  std::string_view path) const = 0;

  // One value; NotFound when the key or the value is missing.
  [[nodiscard]] virtual Result<RegistryValue> ReadValue(RootKey root, std::string_view path,
                                                        std::string_view name) const = 0;

  // Creates the key and its missing parents; Ok when it already exists.
  virtual Status CreateKey(RootKey root, std::string_view path) = 0;

  // Sets a value, creating the key (and parents) when missing. A value of the same name
  // (matched without regard to case) is replaced in place; a new one goes last.
  virtual Status WriteValue(RootKey root, std::string_view path, const RegistryValue& value) = 0;

  // Removes one value. NotFound when the key or value is missing.
  virtual Status DeleteValue(RootKey root, std::string_view path, std::string_view name) = 0;

  // Removes the key with all its sub-keys and values. NotFound when it is missing.
  // An empty path is refused with InvalidArgument: a root cannot be deleted.
  virtual Status DeleteTree(RootKey root, std::string_view path) = 0;
};

// Convenience for the common case: the text of a string value, or nullopt when the key
// or value is missing or not a string type.
std::optional<std::string> ReadText(const Registry& registry, RootKey root, std::string_view path,
                                    std::string_view name);

// The paths a program's key `path` (below `root`, a leading "\" allowed) may stand at: the
// path itself, then on 64-bit Windows (a registry with the key
// HKEY_LOCAL_MACHINE\Software\WOW6432Node) its 32-bit programs' twin when the key lies
// below HKEY_LOCAL_MACHINE\Software: "Software\X" also as "Software\WOW6432Node\X".
// Software itself, Software\Classes (which both views share) and keys of the 32-bit view
// already have no twin. Whether the keys exist is the caller's to find out.
std::vector<std::string> KeyInEveryView(const Registry& registry, RootKey root,
                                        std::string_view path);

// The Program Files folders as Windows stores them, in the 64-bit view: the value
// ProgramFilesDir of HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion, then on
// 64-bit Windows its "ProgramFilesDir (x86)", the 32-bit programs' folder. A value missing,
// empty or not text is left out, as is a second one naming the first folder again.
std::vector<std::string> ProgramFilesFolders(const Registry& registry);

}  // namespace morvel::platform
