#pragma once
// Helpers shared by the registry file tests.

#include <memory>
#include <string>
#include <string_view>

#include "common/text.h"
#include "platform/emulated/emulated_registry.h"

namespace morvel::platform::emulated::testing {

// The bytes regedit writes: UTF-16LE with a byte-order mark.
inline std::string Utf16File(std::string_view utf8_text) {
  return "\xFF\xFE" + Utf8ToUtf16LeBytes(utf8_text);
}

inline std::unique_ptr<EmulatedRegistry> ParseText(std::string text) {
  return EmulatedRegistry::Parse(std::move(text), "test.reg");
}

// Serializes and reads the result again, as the next run of the program would.
inline std::unique_ptr<EmulatedRegistry> Reload(const EmulatedRegistry& registry) {
  return EmulatedRegistry::Parse(registry.Serialize(), "reloaded.reg");
}

}  // namespace morvel::platform::emulated::testing
