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
  for (const char* text : {"", "[A]\nk=v", "[A]\r\nk=v\r\n", "\xEF\xBB\xBFjunk\n[A]\rk=v\r",
                           "  [A]  \n\tk\t=\tv\t\n;c\n"}) {
    IniDocument ini = IniDocument::Parse(text);
    if (auto v = ini.Read("A", "k")) ini.Write("A", "k", *v);
    EXPECT_FALSE(ini.changed());
    EXPECT_EQ(ini.Serialize(), text);
  }
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
