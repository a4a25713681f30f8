#pragma once
// The bytes of a .reg file turned into the UTF-8 text that RegistryImage parses, with
// what it takes to write them back as they were: the encoding, the byte-order mark and,
// in a UTF-16 file, a stray odd last byte.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/emulated/reg_text.h"

namespace morvel::platform::emulated {

struct RegSource {
  bool utf16 = false;
  std::string bom;   // as read; empty when there was none
  std::string tail;  // an odd last byte of a UTF-16 file
  // The text, in one of these; `text_offset` skips a UTF-8 byte-order mark.
  std::string string_text;
  TextBuffer buffer_text;
  std::size_t text_offset = 0;
};

RegSource SourceFromBytes(std::string bytes);

// Reads the file in pieces, converting UTF-16 as it goes, so that a big registry costs
// about what reading it does. Throws MachineImageError when it cannot be read.
RegSource SourceFromFile(const std::filesystem::path& file, const std::string& display_name);

}  // namespace morvel::platform::emulated
