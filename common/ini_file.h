#pragma once
// An INI document with the semantics of the Windows profile functions
// (GetPrivateProfileString / WritePrivateProfileString): section and key names match
// without regard to letter case, the first of duplicate sections or keys wins, a written
// key is updated in place or appended to its section, a missing section is appended at
// the end of the file. Every line that is not written stays byte for byte as it was.
//
// Like the profile functions, the document tells a file's encoding by its first bytes: a
// UTF-8 byte-order mark, or UTF-16 (little or big endian) with its mark; anything else is
// taken as it is. It works on UTF-8 text and writes back in the encoding it read, mark
// included, so a file saved by Notepad in any of its encodings reads and stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvel {

enum class IniEncoding { Plain, Utf8Bom, Utf16Le, Utf16Be };

// A file's bytes as UTF-8 text, with what it takes to write them back as they were.
struct IniText {
  std::string text;  // without the byte-order mark
  IniEncoding encoding = IniEncoding::Plain;
  std::string tail;  // an odd last byte of a UTF-16 file, kept as it was
};
IniText DecodeIniText(std::string_view bytes);
// The bytes of `text` in `encoding`, byte-order mark first.
std::string EncodeIniText(std::string_view text, IniEncoding encoding);

// The first thing in UTF-8 `text` that plain text does not hold: a zero byte or another
// control character (tab and line ends aside), an invalid or overlong sequence, or a
// surrogate code point (an unpaired UTF-16 surrogate carried over). nullopt for text.
struct NonText {
  std::size_t offset;
  std::string what;  // e.g. "a zero byte"
};
std::optional<NonText> FindNonText(std::string_view text);

// The 1-based number of the line that holds text[offset]; CR LF, LF and CR each end a line.
std::size_t LineOfOffset(std::string_view text, std::size_t offset);

class IniDocument {
 public:
  IniDocument() = default;
  // An empty document that writes in `encoding`.
  explicit IniDocument(IniEncoding encoding) : encoding_(encoding) {}
  static IniDocument Parse(std::string_view bytes);

  // The file's bytes: the lines as read, with edits applied, in the encoding read.
  [[nodiscard]] std::string Serialize() const;
  [[nodiscard]] IniEncoding encoding() const { return encoding_; }

  // A value as GetPrivateProfileString returns it: blanks around it removed and one pair
  // of matching surrounding quotes stripped. nullopt when the section or key is missing.
  [[nodiscard]] std::optional<std::string> Read(std::string_view section,
                                                std::string_view key) const;
  [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                       std::string_view fallback) const;
  // Decimal (or $hex / 0x hex) integer; nullopt when missing or not a number.
  [[nodiscard]] std::optional<long long> ReadIntegerIf(std::string_view section,
                                                       std::string_view key) const;
  // Decimal (or $hex / 0x hex) integer; `fallback` when missing or not a number.
  [[nodiscard]] long long ReadInteger(std::string_view section, std::string_view key,
                                      long long fallback) const;
  // True for any integer other than 0; `fallback` when missing or not a number.
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // 1-based line number of the key's line (as Read finds it), for error messages;
  // nullopt when missing.
  [[nodiscard]] std::optional<std::size_t> LineNumber(std::string_view section,
                                                      std::string_view key) const;

  // Names of all sections in file order, as written (duplicates included).
  [[nodiscard]] std::vector<std::string> SectionNames() const;
  // Entry lines of the first section of that name in file order, each as key "=" value
  // with blanks around key and value removed; blank and comment (";") lines left out.
  [[nodiscard]] std::vector<std::string> SectionLines(std::string_view section) const;
  // The keys of the first section of that name in file order, each with its value as Read
  // gives it; the first of duplicate keys wins.
  [[nodiscard]] std::vector<std::pair<std::string, std::string>> SectionEntries(
      std::string_view section) const;
  // The non-empty values of the keys named by the numbers first, first + 1, ...,
  // first + count - 1 (first >= 0; decimal keys without sign or leading zeros), in that
  // order. Only the keys the section holds are looked at, so a stored count far beyond
  // them costs nothing.
  [[nodiscard]] std::vector<std::string> NumberedValues(std::string_view section, long long first,
                                                        long long count) const;

  void Write(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long long value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Removes every section of that name with all its lines, as the profile functions erase
  // a section; every one, so that no older copy comes forward as the first. Sections of
  // other names stay byte for byte.
  void RemoveSection(std::string_view section);

  // Whether a Write changed the document since it was parsed.
  [[nodiscard]] bool changed() const { return changed_; }

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", "\r" or "" for a last line without one
  };
  std::vector<Line> lines_;
  std::string newline_ = "\r\n";  // used for lines this document adds
  IniEncoding encoding_ = IniEncoding::Plain;
  std::string tail_;
  bool changed_ = false;

  // Index of the header line of the first section named `section`, or npos.
  [[nodiscard]] std::size_t FindSection(std::string_view section) const;
  // Index of the first line of `key` in the section starting after `header`, or npos.
  [[nodiscard]] std::size_t FindKey(std::size_t header, std::string_view key) const;
  [[nodiscard]] std::size_t SectionEnd(std::size_t header) const;
};

// Splits an entry line at its first "=" into trimmed key and value; false without "=".
bool SplitIniLine(std::string_view line, std::string_view& key, std::string_view& value);
// A section header's name, or nullopt when the line is not a header.
std::optional<std::string_view> IniSectionName(std::string_view line);

}  // namespace morvel
