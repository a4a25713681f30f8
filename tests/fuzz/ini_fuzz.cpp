// The INI document on arbitrary bytes, in any encoding its marks tell: it keeps every byte
// it does not write, reads agree with each other, a write changes that one key alone and
// keeps the encoding, and stored counts never reach past the keys present.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/ini_file.h"
#include "common/text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using morvel::IniDocument;

// Enough sections and keys to reach every path without making big inputs quadratic.
constexpr std::size_t kMaxNames = 32;

struct Entry {
  std::string section;
  std::string key;
  std::optional<std::string> value;
};

std::vector<Entry> ReadEntries(const IniDocument& doc) {
  std::vector<Entry> entries;
  const std::vector<std::string> sections = doc.SectionNames();
  for (std::size_t s = 0; s < sections.size() && s < kMaxNames; ++s) {
    const std::vector<std::string> lines = doc.SectionLines(sections[s]);
    for (std::size_t k = 0; k < lines.size() && k < kMaxNames; ++k) {
      std::string_view key, value;
      if (!morvel::SplitIniLine(lines[k], key, value)) continue;
      entries.push_back({sections[s], std::string(key), doc.Read(sections[s], key)});
    }
  }
  return entries;
}

void CheckReads(const IniDocument& doc, const std::vector<Entry>& entries, std::size_t line_count) {
  for (const Entry& e : entries) {
    // Every key a section lists can be read, and its line is one of the file's.
    FUZZ_CHECK(e.value.has_value());
    const auto line = doc.LineNumber(e.section, e.key);
    FUZZ_CHECK(line.has_value() && *line >= 2 && *line <= line_count);
    FUZZ_CHECK(doc.ReadString(e.section, e.key, "fallback") == *e.value);
    // A number reads the same whatever the fallback; anything else gives the fallback.
    const long long a = doc.ReadInteger(e.section, e.key, 0);
    const long long b = doc.ReadInteger(e.section, e.key, 1);
    FUZZ_CHECK(a == b || (a == 0 && b == 1));
  }
}

std::size_t LineCount(std::string_view bytes) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
      ++lines;
  }
  return lines + (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r' ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  FUZZ_CHECK(doc.Serialize() == bytes);
  FUZZ_CHECK(!doc.changed());

  const std::vector<Entry> before = ReadEntries(doc);
  // Lines are counted in the text the marks stand for (UTF-16 decoded, the mark left out).
  CheckReads(doc, before, LineCount(morvel::DecodeIniText(bytes).text));
  if (!before.empty()) {
    // A numbered list holds no more than the section's keys, whatever the count says.
    const std::string& listed = before[size % before.size()].section;
    const auto numbered = doc.NumberedValues(listed, static_cast<long long>(size % 3),
                                             std::numeric_limits<long long>::max());
    FUZZ_CHECK(numbered.size() <= doc.SectionEntries(listed).size());
    for (const std::string& value : numbered) FUZZ_CHECK(!value.empty());
  }

  // Update an existing key when there is one (else add a section), then one more key.
  const std::string section =
      before.empty() ? "Fuzz Section" : before[size % before.size()].section;
  const std::string key = before.empty() ? "Fuzz Key" : before[size % before.size()].key;
  doc.Write(section, key, "written value");
  doc.Write(section, "Added Key", "added");
  FUZZ_CHECK(doc.Read(section, key) == "written value");
  FUZZ_CHECK(doc.Read(section, "Added Key") == "added" || morvel::SameText(key, "Added Key"));

  const std::string written = doc.Serialize();
  IniDocument again = IniDocument::Parse(written);
  FUZZ_CHECK(again.Serialize() == written);
  FUZZ_CHECK(again.encoding() == doc.encoding());  // a write keeps the encoding and its mark
  FUZZ_CHECK(again.Read(section, key) == "written value");
  // Other keys read as before: a write touches its own line and nothing else.
  for (const Entry& e : before) {
    if (morvel::SameText(e.section, section) &&
        (morvel::SameText(e.key, key) || morvel::SameText(e.key, "Added Key")))
      continue;
    FUZZ_CHECK(again.Read(e.section, e.key) == e.value);
  }
  return 0;
}
