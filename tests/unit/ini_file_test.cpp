#include "common/ini_file.h"

#include <gtest/gtest.h>

#include <limits>

namespace morvel {
namespace {

TEST(IniDocument, ReadsAsTheProfileFunctionsDo) {
  const IniDocument ini = IniDocument::Parse(
      "; comment\r\n"
      "[Settings]\r\n"
      "  FastScan =  0  \r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Single='x'\r\n"
      "Mismatched=\"x'\r\n"
      "Equals=a=b\r\n"
      "Dup=first\r\n"
      "dup=second\r\n"
      "[settings]\r\n"
      "Later=hidden\r\n"
      "[ Spaced ]\r\n"
      "k=v");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"Settings", "FastScan", "0"},
      {"SETTINGS", "fastscan", "0"},         // names match without regard to case
      {"Settings", "Quoted", "  spaced  "},  // one pair of quotes stripped, inside kept
      {"Settings", "Single", "x"},
      {"Settings", "Mismatched", "\"x'"},
      {"Settings", "Equals", "a=b"},        // split at the first "="
      {"Settings", "Dup", "first"},         // the first of duplicate keys wins
      {"Settings", "Later", std::nullopt},  // a duplicate section is not merged
      {"Spaced", "k", "v"},                 // no line end on the last line
      {"Missing", "k", std::nullopt},
      {"Settings", "Missing", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.Read(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniDocument, IntegersAndBooleans) {
  const IniDocument ini = IniDocument::Parse(
      "[N]\nplain=42\nneg=-7\nhex=$1F\nhex0x=0x10\nword=abc\nempty=\nspaced= 5 \nmixed=5x\n");
  EXPECT_EQ(ini.ReadInteger("N", "plain", 0), 42);
  EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -7);
  EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("N", "hex0x", 0), 16);
  EXPECT_EQ(ini.ReadInteger("N", "word", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "empty", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "spaced", 9), 5);
  EXPECT_EQ(ini.ReadInteger("N", "mixed", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "absent", 3), 3);
  EXPECT_EQ(IniDocument::Parse("[N]\nmin=-$8000000000000000\n").ReadInteger("N", "min", 0),
            std::numeric_limits<long long>::min());
  EXPECT_TRUE(ini.ReadBool("N", "neg", false));  // any integer other than 0
  EXPECT_FALSE(ini.ReadBool("N", "absent", false));
  EXPECT_TRUE(ini.ReadBool("N", "word", true));  // unreadable: the default
}

TEST(IniDocument, WritesInPlaceAppendsAndKeepsOtherLinesByteForByte) {
  IniDocument ini = IniDocument::Parse("; keep me\r\n[A]\r\nx = 1\r\n\r\n[B]\r\ny=2\r\n\r\n");
  ini.Write("a", "X", "5");  // updated in place, under its own line
  ini.Write("A", "z", "3");  // appended after the section's last non-blank line
  ini.Write("C", "w", "4");  // a new section at the end of the file
  EXPECT_EQ(ini.Serialize(),
            "; keep me\r\n[A]\r\nX=5\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
  EXPECT_TRUE(ini.changed());
}

TEST(IniDocument, UnchangedDocumentSerialisesToTheSameBytes) {
  using namespace std::string_literals;
  for (const std::string& text :
       {""s, "[A]\nk=v"s, "[A]\r\nk=v\r\n"s, "\xEF\xBB\xBFjunk\n[A]\rk=v\r"s,
        "  [A]  \n\tk\t=\tv\t\n;c\n"s,
        // UTF-16 with an unpaired surrogate, and with an odd last byte.
        "\xFF\xFE[\0A\0]\0\n\0\x00\xD8k\0=\0v\0"s, "\xFE\xFF\0[\0A\0]\x0A"s}) {
    IniDocument ini = IniDocument::Parse(text);
    if (auto v = ini.Read("A", "k")) ini.Write("A", "k", *v);
    EXPECT_FALSE(ini.changed());
    EXPECT_EQ(ini.Serialize(), text);
  }
}

// UTF-16 bytes of ASCII text, built by hand so that the test does not lean on the code
// under test.
std::string Utf16Of(std::string_view ascii, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    out += big_endian ? '\0' : c;
    out += big_endian ? c : '\0';
  }
  return out;
}

// Files saved by Notepad in each of its encodings: the first section is read like any
// other, and writing keeps the encoding with its mark.
TEST(IniDocument, ReadsEveryEncodingOfTheProfileFunctionsAndWritesItBack) {
  using namespace std::string_literals;
  const std::string text = "[First]\r\nk=v\r\n";
  const std::string edited = "[First]\r\nk=w\r\n[New]\r\nn=1\r\n";
  const struct {
    const char* name;
    std::string bytes;
    IniEncoding encoding;
    std::string written;
  } cases[] = {
      {"plain", text, IniEncoding::Plain, edited},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + text, IniEncoding::Utf8Bom, "\xEF\xBB\xBF" + edited},
      {"UTF-16LE", Utf16Of(text, false), IniEncoding::Utf16Le, Utf16Of(edited, false)},
      {"UTF-16BE", Utf16Of(text, true), IniEncoding::Utf16Be, Utf16Of(edited, true)},
  };
  for (const auto& c : cases) {
    IniDocument ini = IniDocument::Parse(c.bytes);
    EXPECT_EQ(ini.encoding(), c.encoding) << c.name;
    EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"First"}) << c.name;
    EXPECT_EQ(ini.Read("First", "k"), "v") << c.name;
    ini.Write("First", "k", "w");
    ini.Write("New", "n", "1");
    EXPECT_EQ(ini.Serialize(), c.written) << c.name;
  }
  // Text beyond ASCII survives UTF-16 both ways.
  IniDocument wide = IniDocument::Parse("\xFF\xFE[\0A\0]\0\n\0k\0=\0\xE9\0"s);
  EXPECT_EQ(wide.Read("A", "k"), "\xC3\xA9");
  wide.Write("A", "k", "\xE2\x82\xAC");
  EXPECT_EQ(wide.Serialize(), "\xFF\xFE[\0A\0]\0\n\0k\0=\0\xAC\x20"s);
}

// Stored counts (the ticks' SelectedCount, the cookie keep list's Count) only choose among
// the numbered keys present.
TEST(IniDocument, NumberedValuesLookOnlyAtTheKeysPresent) {
  const IniDocument ini = IniDocument::Parse(
      "[L]\n2=b\n1=a\n01=padded\n+3=signed\n3=\n4=d\n4=second\n x =y\n 5 = e \n0=zero\n"
      "[l]\n6=f\n");
  const struct {
    long long first, count;
    std::vector<std::string> values;
  } cases[] = {
      {1, 2, {"a", "b"}},
      {1, 0, {}},
      {1, -5, {}},
      {1, std::numeric_limits<long long>::max(), {"a", "b", "d", "e"}},
      {0, 3, {"zero", "a", "b"}},
      {4, 1, {"d"}},  // the first of duplicate keys wins
      {6, 1, {}},     // a repeated section is not merged
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini.NumberedValues("l", c.first, c.count), c.values) << c.first << "+" << c.count;
}

TEST(IniDocument, AppendingToAFileWithoutFinalLineEnd) {
  IniDocument ini = IniDocument::Parse("[A]\nk=v");
  ini.Write("A", "n", "1");
  ini.Write("B", "m", "2");
  EXPECT_EQ(ini.Serialize(), "[A]\nk=v\nn=1\n[B]\nm=2\n");
}

TEST(IniDocument, SectionNamesAndLines) {
  const IniDocument ini = IniDocument::Parse(
      "[Windows Log Files]\nDelFile1 = %windir%,*.log\n; DelFile9=x\n\nnoequals\n[ICQ]\n[icq]\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Windows Log Files", "ICQ", "icq"}));
  EXPECT_EQ(ini.SectionLines("windows log files"),
            (std::vector<std::string>{"DelFile1=%windir%,*.log", "noequals"}));
  EXPECT_TRUE(ini.SectionLines("Missing").empty());
  EXPECT_EQ(ini.LineNumber("Windows Log Files", "DelFile1"), 2u);
}

}  // namespace
}  // namespace morvel
