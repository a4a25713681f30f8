// Reading .reg files: what the values are, and that writing back an unchanged file gives
// its very bytes whatever its formatting.

#include <gtest/gtest.h>

#include "platform/emulated/machine.h"
#include "tests/registry_file/reg_test_support.h"

namespace morvel::platform::emulated {
namespace {

using testing::ParseText;
using testing::Utf16File;

constexpr std::string_view kRegeditExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"
    "@=\"default text\"\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\App \\\"quoted\\\"\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18,19,1a,1b,1c\r\n"
    "\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
    "\"Big\"=hex(b):01,02,03,04,05,06,07,08\r\n"
    "\"Nothing\"=hex(0):\r\n"
    "\"Odd\"=hex(100):ff\r\n"
    "\"Unicode \xC3\xA9\xE2\x82\xAC\"=\"\xF0\x9F\x98\x80\"\r\n"
    "\r\n";

TEST(RegistryFileRead, RegeditExportHasTheRightValues) {
  for (const std::string& bytes : {Utf16File(kRegeditExport), std::string(kRegeditExport)}) {
    auto reg = ParseText(bytes);
    const char* app = "Software\\Vendor\\App";
    EXPECT_EQ(ReadText(*reg, RootKey::CurrentUser, app, ""), "default text");
    EXPECT_EQ(ReadText(*reg, RootKey::CurrentUser, app, "path"),
              "C:\\Program Files\\App \"quoted\"");
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Count").value,
              RegistryValue::MakeDword("Count", 42));
    std::vector<std::uint8_t> blob;
    for (int i = 0; i < 0x1d; ++i) blob.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Blob").value,
              RegistryValue::MakeBinary("Blob", blob));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Expand").value,
              RegistryValue::MakeString("Expand", "%TEMP%", ValueType::ExpandString));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Multi").value,
              RegistryValue::MakeMultiString("Multi", {"a", "bc"}));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Big").value,
              RegistryValue::MakeQword("Big", 0x0807060504030201ULL));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Nothing").value,
              RegistryValue::MakeBinary("Nothing", {}, ValueType::None));
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, app, "Odd").value,
              RegistryValue::MakeBinary("Odd", {0xff}, static_cast<ValueType>(0x100)));
    EXPECT_EQ(ReadText(*reg, RootKey::CurrentUser, app, "UNICODE \xC3\xA9\xE2\x82\xAC"),
              "\xF0\x9F\x98\x80");
    // Names keep their case; the parent named only by a deeper key exists.
    auto values = reg->Values(RootKey::CurrentUser, app);
    ASSERT_TRUE(values.ok());
    std::vector<std::string> names;
    for (const auto& v : values.value) names.push_back(v.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"", "Path", "Count", "Blob", "Expand", "Multi", "Big",
                                        "Nothing", "Odd", "Unicode \xC3\xA9\xE2\x82\xAC"}));
    EXPECT_TRUE(reg->KeyExists(RootKey::CurrentUser, "SOFTWARE"));
    EXPECT_FALSE(reg->KeyExists(RootKey::LocalMachine, "Software"));
  }
}

TEST(RegistryFileRead, LenientForms) {
  // Shapes hand-written files and other writers use.
  auto reg = ParseText(
      "Windows Registry Editor Version 5.00\n"
      "; a comment\n"
      "# another\n"
      "  [hkey_local_machine\\A]   \n"
      "  \"s\" = \"x\"  \n"
      "\"d\"=DWORD:A\n"
      "\"h\"=HEX(B):1,2 , 3,\\\n"
      "\t\t4\n"
      "\"esc\"=\"\\n\\r\\q\"\n"
      "\"\\\"quoted\\\\name\"=\"\"\n"
      "[HKCU\\B]\n"
      "\"e\"=hex:\n");
  EXPECT_EQ(ReadText(*reg, RootKey::LocalMachine, "a", "S"), "x");
  EXPECT_EQ(reg->ReadValue(RootKey::LocalMachine, "A", "d").value.AsNumber(), 10u);
  EXPECT_EQ(reg->ReadValue(RootKey::LocalMachine, "A", "h").value,
            RegistryValue::MakeBinary("h", {1, 2, 3, 4}, ValueType::Qword));
  EXPECT_EQ(ReadText(*reg, RootKey::LocalMachine, "A", "esc"), "\n\r\\q");
  EXPECT_EQ(ReadText(*reg, RootKey::LocalMachine, "A", "\"quoted\\name"), "");
  EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, "B", "e").value.data.size(), 0u);
}

TEST(RegistryFileRead, DuplicatedNamesKeepFirstPlaceAndLastData) {
  auto reg = ParseText(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"A\"=\"3\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\k]\r\n\"c\"=\"4\"\r\n\r\n");
  const auto values = reg->Values(RootKey::CurrentUser, "K").value;
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, "A");
  EXPECT_EQ(values[0].AsText(), "3");
  EXPECT_EQ(values[1].name, "b");
  EXPECT_EQ(values[2].name, "c");
}

TEST(RegistryFileRead, SubKeysInWindowsOrder) {
  auto reg = ParseText(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\beta]\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\Alpha]\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\_under]\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\ALPHA\\x]\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\Zeta]\r\n\r\n"
      "[HKEY_CURRENT_USER\\P\\a1]\r\n\r\n");
  auto names = reg->SubKeyNames(RootKey::CurrentUser, "p");
  ASSERT_TRUE(names.ok());
  // Upper-cased bytes: "1" < "A" < "Z" < "_".
  EXPECT_EQ(names.value, (std::vector<std::string>{"a1", "Alpha", "beta", "Zeta", "_under"}));
  EXPECT_EQ(reg->SubKeyNames(RootKey::CurrentUser, "P\\alpha").value,
            std::vector<std::string>{"x"});
  EXPECT_EQ(reg->SubKeyNames(RootKey::CurrentUser, "", Access::Full).value,
            std::vector<std::string>{"P"});
  EXPECT_EQ(reg->SubKeyNames(RootKey::CurrentUser, "Q").status.kind, ErrorKind::NotFound);
}

TEST(RegistryFileRoundTrip, UnchangedFileIsByteIdentical) {
  const std::string cases[] = {
      Utf16File(kRegeditExport),
      std::string(kRegeditExport),
      "\xEF\xBB\xBF" + std::string(kRegeditExport),
      // Hand formatting: LF ends, blanks everywhere, comments, no trailing line end.
      "Windows Registry Editor Version 5.00  \n\n; note\n  [HKEY_USERS\\x]\t\n"
      "\"a\" =  \"b\"   \n\n\n@=hex:01,\\\n      02\n[HKEY_USERS\\x\\y]",
      // Mixed line ends and an odd byte at the end of a UTF-16 file.
      Utf16File("Windows Registry Editor Version 5.00\r\n[HKCU\\a]\n\"v\"=dword:1\r\n") + "X",
      // Invalid UTF-8 and an unpaired surrogate survive too.
      "Windows Registry Editor Version 5.00\n[HKCU\\\xFF\xFE]\n\"\xC3\"=\"\x80\"\n",
      "\xFF\xFE" + Utf8ToUtf16LeBytes("Windows Registry Editor Version 5.00\r\n[HKCU\\a]\r\n\"") +
          std::string("\x00\xD8", 2) + Utf8ToUtf16LeBytes("\"=\"\"\r\n"),
  };
  for (const std::string& bytes : cases) {
    auto reg = ParseText(bytes);
    EXPECT_FALSE(reg->changed());
    EXPECT_EQ(reg->Serialize(), bytes);
  }
}

TEST(RegistryFileRoundTrip, EmptyAndMissing) {
  auto empty = EmulatedRegistry::Empty();
  EXPECT_FALSE(empty->changed());
  EXPECT_EQ(empty->Serialize(), Utf16File("Windows Registry Editor Version 5.00\r\n\r\n"));
  EXPECT_TRUE(empty->SubKeyNames(RootKey::CurrentUser, "").value.empty());

  auto missing = EmulatedRegistry::Load("/nonexistent/dir/registry.reg");
  EXPECT_EQ(missing->Serialize(), empty->Serialize());
  EXPECT_THROW(EmulatedRegistry::Load("/"), MachineImageError);
}

}  // namespace
}  // namespace morvel::platform::emulated
