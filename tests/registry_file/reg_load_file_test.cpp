// Loading registry.reg from disk, where UTF-16 is converted piece by piece.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/registry_file/reg_test_support.h"

namespace morvel::platform::emulated {
namespace {

std::filesystem::path WriteTemp(const std::string& name, const std::string& bytes) {
  const auto path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// A file past the 1 MiB read piece, with a surrogate pair (U+1F600) at every possible
// offset around the piece boundary, as filler values.
std::string BigText() {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Big]\r\n";
  for (int i = 0; text.size() < 700000; ++i) {
    text += "\"v" + std::to_string(i) + "\xF0\x9F\x98\x80\"=\"" + std::string(i % 7, 'x') +
            "\xF0\x9F\x98\x80\"\r\n";
  }
  return text + "\"last\"=dword:00000007\r\n";
}

// The UTF-16 file with a comment line padded so that a surrogate pair is split between
// the first 1 MiB piece read and the next.
std::string SplitPairFile(const std::string& text) {
  const std::u16string units = Utf8ToUtf16(text);
  const std::size_t last_of_piece = (1048576 - 2) / 2 - 1;  // after the byte-order mark
  std::size_t high = last_of_piece - 4;                     // "; " and CRLF come with the padding
  while (units[high] < 0xD800 || units[high] >= 0xDC00) --high;
  std::string padded = text;
  padded.insert(padded.find("\r\n") + 2,
                "; " + std::string(last_of_piece - 4 - high, 'p') + "\r\n");
  return testing::Utf16File(padded);
}

// An unpaired high surrogate in place of an "x" near the end of the first piece.
std::string UnpairedSurrogateNearSeam(std::string bytes) {
  std::size_t at = 1048574;
  while (bytes.compare(at, 2, std::string("x\0", 2)) != 0) at -= 2;
  bytes.replace(at, 2, "\x3D\xD8");
  return bytes;
}

TEST(RegistryFileLoad, BigFilesReadBackExactly) {
  const std::string text = BigText();
  const std::string cases[] = {
      SplitPairFile(text),
      testing::Utf16File(text) + "Z",  // a stray odd byte at the end
      UnpairedSurrogateNearSeam(testing::Utf16File(text)),
      text,
      "\xEF\xBB\xBF" + text,
  };
  int n = 0;
  for (const std::string& bytes : cases) {
    const auto path = WriteTemp("morvel-reg-load-" + std::to_string(n++) + ".reg", bytes);
    auto reg = EmulatedRegistry::Load(path);
    std::filesystem::remove(path);
    EXPECT_EQ(reg->Serialize(), bytes) << n;
    EXPECT_EQ(reg->ReadValue(RootKey::CurrentUser, "Big", "last").value.AsNumber(), 7u) << n;
    EXPECT_EQ(ReadText(*reg, RootKey::CurrentUser, "Big", "v12\xF0\x9F\x98\x80"),
              "xxxxx\xF0\x9F\x98\x80")
        << n;
    if (n == 3) continue;  // the one with a stray surrogate
    // Every pair, wherever a piece of the file ended, decodes whole.
    const auto values = reg->Values(RootKey::CurrentUser, "Big").value;
    for (std::size_t i = 0; i + 1 < values.size(); ++i) {
      ASSERT_EQ(values[i].name, "v" + std::to_string(i) + "\xF0\x9F\x98\x80") << n;
      ASSERT_EQ(*values[i].AsText(), std::string(i % 7, 'x') + "\xF0\x9F\x98\x80") << n << " " << i;
    }
  }
}

TEST(RegistryFileLoad, ErrorsNameTheFile) {
  const auto path =
      WriteTemp("morvel-reg-bad.reg",
                testing::Utf16File("Windows Registry Editor Version 5.00\r\n\r\nx\r\n"));
  try {
    (void)EmulatedRegistry::Load(path);
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), path.string() + ":3: unrecognised line \"x\"");
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace morvel::platform::emulated
