// Malformed .reg files: one clear line naming the file and line, never a crash.

#include <gtest/gtest.h>

#include <random>

#include "platform/emulated/machine.h"
#include "tests/registry_file/reg_test_support.h"

namespace morvel::platform::emulated {
namespace {

using testing::ParseText;

std::string ErrorOf(const std::string& text) {
  try {
    (void)ParseText(text);
  } catch (const MachineImageError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(RegistryFileErrors, MessagesNameTheLine) {
  const std::string h = "Windows Registry Editor Version 5.00\r\n\r\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"",
       "test.reg:1: not a registry file: the first line must be "
       "\"Windows Registry Editor Version 5.00\""},
      {"REGEDIT4\r\n",
       "test.reg:1: not a registry file: the first line must be "
       "\"Windows Registry Editor Version 5.00\""},
      {h + "\"a\"=\"b\"\r\n", "test.reg:3: value line outside a key"},
      {h + "[HKEY_NOWHERE\\x]\r\n", "test.reg:3: unknown root key \"HKEY_NOWHERE\""},
      {h + "[HKEY_CURRENT_USER\\x\r\n", "test.reg:3: missing ']' in key line"},
      {h + "[HKEY_CURRENT_USER\\x] y\r\n", "test.reg:3: unexpected text after the key name"},
      {h + "[HKEY_CURRENT_USER\\x\\\\y]\r\n",
       "test.reg:3: empty key name in \"HKEY_CURRENT_USER\\x\\\\y\""},
      {h + "[-HKEY_CURRENT_USER\\x]\r\n",
       "test.reg:3: key deletion ([-...]) is not supported in a machine image"},
      {h + "[HKCU\\x]\r\ngarbage\r\n", "test.reg:4: unrecognised line \"garbage\""},
      {h + "[HKCU\\x]\r\n\"a\"=\"b\r\n", "test.reg:4: unterminated string"},
      {h + "[HKCU\\x]\r\n\"a=\"b\"\r\n", "test.reg:4: missing '=' after the value name"},
      {h + "[HKCU\\x]\r\n\"a\r\n", "test.reg:4: unterminated value name"},
      {h + "[HKCU\\x]\r\n\"a\"=\"b\" c\r\n", "test.reg:4: unexpected text after the value"},
      {h + "[HKCU\\x]\r\n\"a\"=\r\n", "test.reg:4: missing value data"},
      {h + "[HKCU\\x]\r\n\"a\"=-\r\n",
       "test.reg:4: value deletion (=-) is not supported in a machine image"},
      {h + "[HKCU\\x]\r\n\"a\"=text\r\n", "test.reg:4: unknown value data"},
      {h + "[HKCU\\x]\r\n\"a\"=dword:\r\n", "test.reg:4: bad dword value"},
      {h + "[HKCU\\x]\r\n\"a\"=dword:123456789\r\n", "test.reg:4: bad dword value"},
      {h + "[HKCU\\x]\r\n\"a\"=dword:1g\r\n", "test.reg:4: unexpected text after the value"},
      {h + "[HKCU\\x]\r\n\"a\"=hex(zz):00\r\n", "test.reg:4: bad value type in hex(...)"},
      {h + "[HKCU\\x]\r\n\"a\"=hex 00\r\n", "test.reg:4: missing ':' after hex"},
      {h + "[HKCU\\x]\r\n\"a\"=hex:0g\r\n", "test.reg:4: bad hex byte"},
      {h + "[HKCU\\x]\r\n\"a\"=hex:000\r\n", "test.reg:4: bad hex byte"},
      {h + "[HKCU\\x]\r\n\"a\"=hex:00,,01\r\n", "test.reg:4: missing hex byte before ','"},
      {h + "[HKCU\\x]\r\n\"a\"=hex:00 01\r\n", "test.reg:4: bad hex byte"},
      // The line inside a continued entry is the one named.
      {h + "[HKCU\\x]\r\n\"a\"=hex:00,\\\r\n  01,\\\r\n  zz\r\n", "test.reg:6: bad hex byte"},
      {h + "[HKCU\\x]\r\n\"a\"=hex:00,\\\r\n  01\r\n\"b\"=x\r\n", "test.reg:6: unknown value data"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(RegistryFileErrors, Utf16FilesCountLinesToo) {
  EXPECT_EQ(ErrorOf(testing::Utf16File(
                "Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\x]\r\n\"a\"=hex:0x\r\n")),
            "test.reg:4: bad hex byte");
}

// Random damage to a valid file: every outcome is a value or a MachineImageError, and
// whatever parses writes back identically and can be edited.
TEST(RegistryFileErrors, DamagedFilesNeverCrash) {
  const std::string base =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A\\B]\r\n"
      "@=\"x\\\\y\"\r\n\"d\"=dword:0000000a\r\n\"h\"=hex(7):41,00,00,00,\\\r\n  00,00\r\n\r\n";
  const char alphabet[] = "\"\\[]@=:,-;\r\n x0hexdword(7)\xFF\x00";
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string text = base;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % (text.size() + 1);
      const char c = alphabet[random() % (sizeof(alphabet) - 1)];
      switch (random() % 3) {
        case 0:
          text.insert(at, 1, c);
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1);
          break;
        default:
          if (at < text.size()) text[at] = c;
      }
    }
    for (const std::string& bytes : {text, testing::Utf16File(text)}) {
      try {
        auto reg = ParseText(bytes);
        EXPECT_EQ(reg->Serialize(), bytes);
        for (const auto& key : reg->SubKeyNames(RootKey::CurrentUser, "A").value)
          (void)reg->Values(RootKey::CurrentUser, "A\\" + key);
        (void)reg->WriteValue(RootKey::CurrentUser, "A\\B", RegistryValue::MakeDword("d", 1));
        (void)reg->DeleteValue(RootKey::CurrentUser, "A\\B", "h");
        auto again = testing::Reload(*reg);
        EXPECT_EQ(again->Values(RootKey::CurrentUser, "A\\B").value,
                  reg->Values(RootKey::CurrentUser, "A\\B").value);
      } catch (const MachineImageError& e) {
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace morvel::platform::emulated
