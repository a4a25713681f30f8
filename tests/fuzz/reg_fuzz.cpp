// The .reg loader on arbitrary bytes (UTF-8, or UTF-16LE with or without a byte-order
// mark). A file either loads or fails with one line naming it; a loaded file writes back
// byte for byte, reads the same in either encoding, and after edits writes a file that
// loads again into the very same registry.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "platform/emulated/emulated_registry.h"
#include "platform/emulated/machine.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using morvel::platform::RegistryValue;
using morvel::platform::RootKey;
using morvel::platform::ValueType;
using morvel::platform::emulated::EmulatedRegistry;
using morvel::platform::emulated::MachineImageError;

constexpr RootKey kRoots[] = {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                              RootKey::Users, RootKey::CurrentConfig};
constexpr std::size_t kMaxKeys = 4000;

struct KeyDump {
  RootKey root;
  std::string path;
  std::vector<RegistryValue> values;
  // A key's letter case may differ after a reload: when the header that named it first
  // is deleted, the next header spelling it otherwise names it. Windows ignores the case.
  bool operator==(const KeyDump& other) const {
    return root == other.root && morvel::SameText(path, other.path) && values == other.values;
  }
};

// Every key below the roots in listing order, with its values.
std::vector<KeyDump> Dump(const EmulatedRegistry& reg) {
  std::vector<KeyDump> keys;
  std::vector<std::pair<RootKey, std::string>> pending;
  for (RootKey root : kRoots) pending.emplace_back(root, "");
  while (!pending.empty() && keys.size() < kMaxKeys) {
    auto [root, path] = std::move(pending.back());
    pending.pop_back();
    auto values = reg.Values(root, path);
    FUZZ_CHECK(values.ok());
    keys.push_back({root, path, std::move(values.value)});
    auto names = reg.SubKeyNames(root, path);
    FUZZ_CHECK(names.ok());
    for (auto it = names.value.rbegin(); it != names.value.rend(); ++it) {
      FUZZ_CHECK(!it->empty() && it->find('\\') == std::string::npos);
      pending.emplace_back(root, path.empty() ? *it : path + "\\" + *it);
    }
  }
  return keys;
}

std::unique_ptr<EmulatedRegistry> Load(std::string bytes, std::string* error) {
  try {
    return EmulatedRegistry::Parse(std::move(bytes), "registry.reg");
  } catch (const MachineImageError& e) {
    *error = e.what();
    // One line that names the file and the line: "registry.reg:12: what".
    FUZZ_CHECK(error->starts_with("registry.reg:") || error->starts_with("registry.reg: "));
    FUZZ_CHECK(error->find_first_of("\r\n") == std::string::npos);
    return nullptr;
  }
}

// The values every edit writes: the forms whose formatting differs.
std::vector<RegistryValue> EditValues() {
  return {
      RegistryValue::MakeString("", "default \"quoted\" \\ back\\slash"),
      RegistryValue::MakeString("name \"with\" \\ and\nbreak", "line\r\nbreak \xF0\x9F\x98\x80"),
      RegistryValue::MakeString("expand", "%TEMP%\\x", ValueType::ExpandString),
      RegistryValue::MakeMultiString("multi", {"a", "", "\xC3\xA9t\xC3\xA9"}),
      RegistryValue::MakeDword("dword", 0xFFFFFFFFu),
      RegistryValue::MakeQword("qword", 0x0123456789ABCDEFull),
      RegistryValue::MakeBinary("binary", std::vector<std::uint8_t>(100, 0xAB)),
      RegistryValue::MakeBinary("odd string", {0x41, 0x00, 0x42}, ValueType::String),
      RegistryValue::MakeBinary("other type", {1, 2, 3}, static_cast<ValueType>(0x12345)),
      RegistryValue::MakeBinary("none", {}, ValueType::None),
  };
}

void Edit(EmulatedRegistry& reg, const std::vector<KeyDump>& keys, std::uint32_t choice) {
  // Edit a key of the file when there is one, else HKEY_CURRENT_USER itself.
  std::vector<const KeyDump*> file_keys;
  for (const KeyDump& key : keys)
    if (!key.path.empty()) file_keys.push_back(&key);
  static const KeyDump kCurrentUser{RootKey::CurrentUser, "", {}};
  const KeyDump& target = file_keys.empty() ? kCurrentUser : *file_keys[choice % file_keys.size()];
  if (!target.values.empty()) {
    (void)reg.WriteValue(target.root, target.path,
                         RegistryValue::MakeDword(target.values.front().name, 42));
    (void)reg.DeleteValue(target.root, target.path, target.values.back().name);
  }
  for (const RegistryValue& value : EditValues())
    FUZZ_CHECK(reg.WriteValue(target.root, target.path, value).ok());
  const std::string added = (target.path.empty() ? "" : target.path + "\\") + "Added ]Key[";
  FUZZ_CHECK(reg.CreateKey(target.root, added + "\\Sub").ok());
  FUZZ_CHECK(reg.WriteValue(target.root, added, RegistryValue::MakeDword("n", 1)).ok());
  if (file_keys.size() > 1) {
    const KeyDump& doomed = *file_keys[(choice >> 8) % file_keys.size()];
    FUZZ_CHECK(reg.DeleteTree(doomed.root, doomed.path).ok() ||
               !reg.KeyExists(doomed.root, doomed.path));
  }
}

// The bytes with control characters and non-ASCII escaped, for a failure report.
std::string Visible(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\n' || (b >= 0x20 && b < 0x7F)) {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", b);
      out += hex;
    }
  }
  return out;
}

void ShowDifference(const std::vector<KeyDump>& edited, const std::vector<KeyDump>& reloaded) {
  std::fprintf(stderr, "keys: %zu edited, %zu reloaded\n", edited.size(), reloaded.size());
  for (std::size_t i = 0; i < edited.size() && i < reloaded.size(); ++i) {
    const KeyDump& a = edited[i];
    const KeyDump& b = reloaded[i];
    if (a == b) continue;
    std::fprintf(stderr, "key %zu: %d \"%s\" / %d \"%s\", %zu / %zu values\n", i,
                 static_cast<int>(a.root), Visible(a.path).c_str(), static_cast<int>(b.root),
                 Visible(b.path).c_str(), a.values.size(), b.values.size());
    for (std::size_t v = 0; v < a.values.size() && v < b.values.size(); ++v) {
      if (a.values[v] == b.values[v]) continue;
      std::fprintf(stderr, "  value %zu: \"%s\" type %u, %zu bytes / \"%s\" type %u, %zu bytes\n",
                   v, Visible(a.values[v].name).c_str(), static_cast<unsigned>(a.values[v].type),
                   a.values[v].data.size(), Visible(b.values[v].name).c_str(),
                   static_cast<unsigned>(b.values[v].type), b.values[v].data.size());
    }
    return;
  }
}

std::uint32_t Hash(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || (bytes.size() >= 2 && bytes[0] == 'W' && bytes[1] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::unique_ptr<EmulatedRegistry> reg = Load(bytes, &error);

  // The same text in the other encoding loads the same, or fails the same.
  if (!IsUtf16(bytes)) {
    std::string_view text = bytes;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string utf16 = "\xFF\xFE" + morvel::Utf8ToUtf16LeBytes(text);
    if (morvel::Utf16LeBytesToUtf8(utf16.substr(2)) == text) {
      std::string other_error;
      const auto other = Load(utf16, &other_error);
      FUZZ_CHECK((reg == nullptr) == (other == nullptr));
      FUZZ_CHECK(other_error == error);
      if (reg) FUZZ_CHECK(Dump(*reg) == Dump(*other));
    }
  }
  if (!reg) return 0;

  const std::vector<KeyDump> keys = Dump(*reg);
  FUZZ_CHECK(!reg->changed());
  FUZZ_CHECK(reg->Serialize() == bytes);
  if (keys.size() >= kMaxKeys) return 0;

  Edit(*reg, keys, Hash(bytes));
  const std::string written = reg->Serialize();
  FUZZ_CHECK(written.substr(0, 2) == bytes.substr(0, 2));  // the encoding it was read in
  std::string reload_error;
  const auto again = Load(written, &reload_error);
  if (!again) std::fprintf(stderr, "reload failed: %s\n", reload_error.c_str());
  FUZZ_CHECK(again != nullptr);
  if (Dump(*again) != Dump(*reg)) {
    ShowDifference(Dump(*reg), Dump(*again));
    std::fprintf(stderr, "written file:\n%s\n", Visible(written).c_str());
  }
  FUZZ_CHECK(Dump(*again) == Dump(*reg));
  return 0;
}
