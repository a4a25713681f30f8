// Changing the registry and writing it back: untouched lines stay as they were, changes
// come out as regedit writes them, and the result reads back to the same values.

#include <gtest/gtest.h>

#include "tests/registry_file/reg_test_support.h"

namespace morvel::platform::emulated {
namespace {

using testing::ParseText;
using testing::Reload;
using testing::Utf16File;

constexpr std::string_view kFile =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\A]\r\n"
    "\"one\"  =  \"1\"\r\n"
    "\"two\"=dword:00000002\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\A\\Sub]\r\n"
    "; kept with its block\r\n"
    "\"x\"=hex:01,02\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\B]\r\n"
    "\"b\"=\"bee\"\r\n"
    "\r\n";

std::string WithLines(std::string_view text, std::string_view from, std::string_view to) {
  std::string out(text);
  out.replace(out.find(from), from.size(), to);
  return out;
}

TEST(RegistryFileEdit, ReplacingAValueRewritesOnlyItsLine) {
  auto reg = ParseText(std::string(kFile));
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "software\\a",
                              RegistryValue::MakeString("ONE", "uno")));
  EXPECT_TRUE(reg->changed());
  EXPECT_EQ(reg->Serialize(), WithLines(kFile, "\"one\"  =  \"1\"", "\"one\"=\"uno\""));
  // In place, with the name's first case.
  const auto values = Reload(*reg)->Values(RootKey::CurrentUser, "Software\\A").value;
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0], RegistryValue::MakeString("one", "uno"));
}

TEST(RegistryFileEdit, AddedValuesGoAfterTheKeysLastLine) {
  auto reg = ParseText(std::string(kFile));
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "Software\\A",
                              RegistryValue::MakeDword("three", 0xDEADBEEF)));
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "Software\\A",
                              RegistryValue::MakeString("", "def \"q\" \\")));
  EXPECT_EQ(reg->Serialize(), WithLines(kFile, "\"two\"=dword:00000002\r\n",
                                        "\"two\"=dword:00000002\r\n"
                                        "\"three\"=dword:deadbeef\r\n"
                                        "@=\"def \\\"q\\\" \\\\\"\r\n"));
}

TEST(RegistryFileEdit, DeletingRemovesLinesAndBlocks) {
  auto reg = ParseText(std::string(kFile));
  ASSERT_TRUE(reg->DeleteValue(RootKey::CurrentUser, "Software\\A", "TWO"));
  ASSERT_TRUE(reg->DeleteTree(RootKey::CurrentUser, "Software\\A\\SUB"));
  EXPECT_EQ(reg->Serialize(),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n\"one\"  =  \"1\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\B]\r\n\"b\"=\"bee\"\r\n\r\n");
  EXPECT_EQ(reg->DeleteValue(RootKey::CurrentUser, "Software\\A", "two").kind, ErrorKind::NotFound);
  EXPECT_EQ(reg->DeleteTree(RootKey::CurrentUser, "Software\\A\\Sub").kind, ErrorKind::NotFound);
  EXPECT_EQ(reg->DeleteTree(RootKey::CurrentUser, "").kind, ErrorKind::InvalidArgument);

  // Deleting a tree whose parent has no block of its own: the parent still exists.
  ASSERT_TRUE(reg->DeleteTree(RootKey::CurrentUser, "Software\\A"));
  ASSERT_TRUE(reg->DeleteTree(RootKey::CurrentUser, "Software\\B"));
  auto again = Reload(*reg);
  EXPECT_TRUE(again->KeyExists(RootKey::CurrentUser, "Software"));
  EXPECT_FALSE(again->KeyExists(RootKey::CurrentUser, "Software\\A"));
  EXPECT_EQ(reg->Serialize(),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n");
}

TEST(RegistryFileEdit, NewKeysGetBlocksAtTheEndInExportOrder) {
  auto reg = ParseText(std::string(kFile));
  ASSERT_TRUE(reg->CreateKey(RootKey::CurrentUser, "Software\\Z\\deep\\er"));
  ASSERT_TRUE(
      reg->WriteValue(RootKey::CurrentUser, "Software\\Z", RegistryValue::MakeString("v", "w")));
  ASSERT_TRUE(reg->CreateKey(RootKey::LocalMachine, "SYSTEM"));
  ASSERT_TRUE(
      reg->WriteValue(RootKey::CurrentUser, "Software\\C", RegistryValue::MakeQword("q", 1)));
  EXPECT_EQ(reg->Serialize(), std::string(kFile) +
                                  "[HKEY_CURRENT_USER\\Software\\C]\r\n"
                                  "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Z]\r\n\"v\"=\"w\"\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Z\\deep\\er]\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SYSTEM]\r\n\r\n");
}

TEST(RegistryFileEdit, WritesKeepTheEncodingAndLineEnds) {
  // A UTF-16 file stays UTF-16; an LF file without a final line end gets LF lines.
  auto utf16 = ParseText(Utf16File(kFile));
  ASSERT_TRUE(utf16->WriteValue(RootKey::CurrentUser, "Software\\B",
                                RegistryValue::MakeString("\xC3\xA9", "\xE2\x82\xAC")));
  EXPECT_EQ(utf16->Serialize(),
            Utf16File(WithLines(kFile, "\"b\"=\"bee\"\r\n",
                                "\"b\"=\"bee\"\r\n\"\xC3\xA9\"=\"\xE2\x82\xAC\"\r\n")));

  auto lf = ParseText("Windows Registry Editor Version 5.00\n\n[HKEY_USERS\\u]\n\"a\"=\"b\"");
  ASSERT_TRUE(lf->WriteValue(RootKey::Users, "u", RegistryValue::MakeDword("c", 1)));
  ASSERT_TRUE(lf->CreateKey(RootKey::Users, "v"));
  EXPECT_EQ(lf->Serialize(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_USERS\\u]\n\"a\"=\"b\"\n"
            "\"c\"=dword:00000001\n\n[HKEY_USERS\\v]\n\n");
}

TEST(RegistryFileEdit, HexListsWrapLikeRegedit) {
  auto reg = EmulatedRegistry::Parse("Windows Registry Editor Version 5.00\r\n\r\n", "t.reg");
  std::vector<std::uint8_t> bytes(60);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "K", RegistryValue::MakeBinary("Data", bytes)));
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "K",
                              RegistryValue::MakeString("odd", "x", ValueType::ExpandString)));
  ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "K",
                              RegistryValue::MakeBinary("sz", {0x41, 0, 0x42}, ValueType::String)));
  EXPECT_EQ(reg->Serialize(),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
            "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
            "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
            "  2f,30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"
            "\"odd\"=hex(2):78,00,00,00\r\n"
            "\"sz\"=hex(1):41,00,42\r\n\r\n");
  EXPECT_EQ(Reload(*reg)->Values(RootKey::CurrentUser, "K").value,
            reg->Values(RootKey::CurrentUser, "K").value);
}

TEST(RegistryFileEdit, EveryTypeSurvivesWriteAndReload) {
  const std::vector<RegistryValue> values = {
      RegistryValue::MakeString("s", "line\r\nbreak \"q\" \\ tab\t"),
      RegistryValue::MakeString("", "default"),
      RegistryValue::MakeString("e", "%PATH%", ValueType::ExpandString),
      RegistryValue::MakeMultiString("m", {"one", "", "three"}),
      RegistryValue::MakeDword("d", 0xFFFFFFFF),
      RegistryValue::MakeQword("q", 0x1122334455667788ULL),
      RegistryValue::MakeBinary("b", {}),
      RegistryValue::MakeBinary("n", {1}, ValueType::None),
      RegistryValue::MakeBinary("short dword", {1, 2}, ValueType::Dword),
      RegistryValue::MakeBinary("empty sz", {}, ValueType::String),
      RegistryValue::MakeBinary("custom", {9, 8}, static_cast<ValueType>(0x12345678)),
      RegistryValue::MakeString("name with \"quotes\" and \\", "\xE2\x82\xAC"),
  };
  for (const std::string& start : {std::string("Windows Registry Editor Version 5.00\r\n"),
                                   Utf16File("Windows Registry Editor Version 5.00\r\n")}) {
    auto reg = ParseText(start);
    for (const RegistryValue& v : values)
      ASSERT_TRUE(reg->WriteValue(RootKey::CurrentUser, "T", v));
    EXPECT_EQ(reg->Values(RootKey::CurrentUser, "T").value, values);
    auto again = Reload(*reg);
    EXPECT_EQ(again->Values(RootKey::CurrentUser, "T").value, values);
    EXPECT_FALSE(again->changed());
  }
}

TEST(RegistryFileEdit, DuplicatedNamesFollowTheirWinner) {
  const std::string file =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
      "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"a\"=\"3\"\r\n\r\n";
  auto rewritten = ParseText(file);
  ASSERT_TRUE(
      rewritten->WriteValue(RootKey::CurrentUser, "K", RegistryValue::MakeString("a", "4")));
  // The value is listed where the name first appears; a rewrite keeps it there.
  EXPECT_EQ(rewritten->Serialize(), WithLines(file, "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"a\"=\"3\"",
                                              "\"a\"=\"4\"\r\n\"b\"=\"2\""));
  EXPECT_EQ(Reload(*rewritten)->Values(RootKey::CurrentUser, "K").value,
            rewritten->Values(RootKey::CurrentUser, "K").value);
  auto deleted = ParseText(file);
  ASSERT_TRUE(deleted->DeleteValue(RootKey::CurrentUser, "K", "A"));
  EXPECT_EQ(deleted->Serialize(),
            WithLines(file, "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"a\"=\"3\"", "\"b\"=\"2\""));
  auto other = ParseText(file);
  ASSERT_TRUE(other->DeleteValue(RootKey::CurrentUser, "K", "b"));
  EXPECT_EQ(other->Serialize(), WithLines(file, "\"b\"=\"2\"\r\n", ""));
}

TEST(RegistryFileEdit, ChangedOnlyByRealChanges) {
  struct Case {
    const char* what;
    bool (*act)(EmulatedRegistry&);
    bool changes;
  };
  const Case cases[] = {
      {"reads",
       [](EmulatedRegistry& r) {
         (void)r.Values(RootKey::CurrentUser, "Software\\A");
         (void)r.SubKeyNames(RootKey::CurrentUser, "Software", Access::Full);
         return true;
       },
       false},
      {"existing key",
       [](EmulatedRegistry& r) {
         return r.CreateKey(RootKey::CurrentUser, "software\\a\\sub").ok();
       },
       false},
      {"same data",
       [](EmulatedRegistry& r) {
         return r
             .WriteValue(RootKey::CurrentUser, "Software\\A", RegistryValue::MakeDword("TWO", 2))
             .ok();
       },
       false},
      {"missing value",
       [](EmulatedRegistry& r) {
         return !r.DeleteValue(RootKey::CurrentUser, "Software\\A", "zzz").ok();
       },
       false},
      {"missing tree",
       [](EmulatedRegistry& r) { return !r.DeleteTree(RootKey::CurrentUser, "Software\\Q").ok(); },
       false},
      {"new key",
       [](EmulatedRegistry& r) { return r.CreateKey(RootKey::CurrentUser, "Software\\New").ok(); },
       true},
      {"other type",
       [](EmulatedRegistry& r) {
         return r
             .WriteValue(RootKey::CurrentUser, "Software\\A", RegistryValue::MakeQword("two", 2))
             .ok();
       },
       true},
      {"deleted value",
       [](EmulatedRegistry& r) {
         return r.DeleteValue(RootKey::CurrentUser, "Software\\A", "one").ok();
       },
       true},
  };
  for (const Case& c : cases) {
    auto reg = ParseText(std::string(kFile));
    EXPECT_TRUE(c.act(*reg)) << c.what;
    EXPECT_EQ(reg->changed(), c.changes) << c.what;
    if (!c.changes) {
      EXPECT_EQ(reg->Serialize(), kFile) << c.what;
    }
  }
}

TEST(RegistryFileEdit, ReadOnlyLocalMachine) {
  auto reg = ParseText(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\S]\r\n\"v\"=\"1\"\r\n");
  reg->SetLocalMachineWritable(false);
  EXPECT_TRUE(reg->SubKeyNames(RootKey::LocalMachine, "", Access::Read).ok());
  EXPECT_EQ(reg->SubKeyNames(RootKey::LocalMachine, "", Access::Full).status.kind,
            ErrorKind::AccessDenied);
  EXPECT_EQ(reg->DeleteTree(RootKey::LocalMachine, "S").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(reg->DeleteValue(RootKey::LocalMachine, "S", "v").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(reg->CreateKey(RootKey::LocalMachine, "S\\T").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(reg->WriteValue(RootKey::LocalMachine, "S", RegistryValue::MakeDword("d", 1)).kind,
            ErrorKind::AccessDenied);
  EXPECT_TRUE(reg->CreateKey(RootKey::CurrentUser, "S").ok());
  EXPECT_FALSE(reg->KeyExists(RootKey::LocalMachine, "S\\T"));
}

}  // namespace
}  // namespace morvel::platform::emulated
