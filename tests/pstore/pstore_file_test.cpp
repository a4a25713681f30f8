// The emulated store's file: what it refuses, with file and line, and the identifiers and
// code page it is built on.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/emulated/emulated_pstore.h"
#include "platform/emulated/machine.h"
#include "tests/machine/temp_image.h"

namespace morvel::platform::emulated {
namespace {

constexpr const char* kId = "{E161255A-37C3-11D2-BCAA-00C04FD929DB}";

std::string Error(const std::string& file) {
  try {
    EmulatedPStore::Parse(file, "IMAGE/stores/pstore.ini");
  } catch (const MachineImageError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(PStoreFile, BadInputIsReportedWithFileAndLine) {
  const std::string type = std::string("[Type ") + kId + "]\n";
  const std::string subtype = std::string("[Subtype ") + kId + " " + kId + "]\n";
  struct Case {
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {"Item=x\n", ":1: key 'Item' outside a section"},
      {"\n[Store]\nBatch=0\n", ":3: Batch '0' is not a number from 1 to 1000000"},
      {"[Store]\nBatch=many\n", ":2: Batch 'many' is not"},
      {"[Store]\r\nAvailable=yes\r\n", ":2: Available 'yes' is not 0 or 1"},
      {"[Store]\nProvider=1\nprovider=0\n", ":3: key 'provider' given twice"},
      {"[Store]\nColour=blue\n", ":2: unknown key 'Colour' in [Store]"},
      {"[Store]\nBatch=1\n[Store]\nBatch=2\n", ":3: second [Store] section"},
      {"[Stores]\n", ":1: unknown section [Stores]"},
      {"[Type {E161255A}]\n", ":1: '{E161255A}' is not a {GUID}"},
      {"[Type " + std::string(kId) + "\n", ":1: section header without ']'"},
      {type + type, ":2: type {E161255A-37C3-11D2-BCAA-00C04FD929DB} given twice"},
      {type + "Name=a\nName=b\n", ":3: second Name of a type"},
      {type + "Colour=x\n", ":2: unknown key 'Colour' in a type"},
      {subtype, ":1: subtype of type {E161255A-37C3-11D2-BCAA-00C04FD929DB} before its [Type]"},
      {type + "[Subtype " + kId + "]\n", ":2: subtype section needs {type} {subtype}"},
      {type + subtype + subtype, ":3: subtype {E161255A-37C3-11D2-BCAA-00C04FD929DB} given twice"},
      {type + subtype + "Item=a\nItem=b\nItem=a\n", ":5: item 'a' given twice in a subtype"},
      {type + subtype + "Item=\n", ":3: empty item name"},
      {type + subtype + "Item=caf\xE9\n", ":3: item name is not UTF-8"},
      {type + "Name=a\xC3\n", ":2: display name is not UTF-8"},
      {type + subtype + std::string("Item=a\0b\n", 9), ":3: item name holds a zero character"},
      {type + subtype + "just words\n", ":3: expected [section] or key=value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string error = Error(c.file);
    EXPECT_TRUE(error.starts_with("IMAGE/stores/pstore.ini:")) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(PStoreFile, AcceptsCommentsBlanksByteOrderMarkAndCaseOfKeywords) {
  const std::string file =
      std::string("\xEF\xBB\xBF; comment\r\n\r\n  [store]  \r\nbatch = 2\r\n") + "[type " + kId +
      "]\r\nname=X\r\n[SUBTYPE " + kId + "  " + kId + "]\r\nITEM= padded \r\nItem=a=b;c]\r\n";
  const auto store = EmulatedPStore::Parse(file, "pstore.ini");
  auto provider = store->CreateProvider(std::nullopt);
  ASSERT_TRUE(provider.ok());
  const StoreId id = *StoreId::Parse(kId);
  auto items = provider.value->EnumItems(0, id, id, 0);
  ASSERT_TRUE(items.ok());
  std::array<std::u16string, 16> batch;
  std::uint32_t fetched = 0;
  items.value->Next(batch, fetched);
  ASSERT_EQ(fetched, 2u);  // Batch=2
  EXPECT_EQ(batch[0], u" padded ");
  EXPECT_EQ(batch[1], u"a=b;c]");
  EXPECT_EQ(store->Serialize(), file);
}

TEST(PStoreFile, MissingAndUnreadableFiles) {
  testing::TempImage image;
  EXPECT_TRUE(EmulatedPStore::Load(image.root() / "stores" / "pstore.ini")->Available());
  image.MakeFolder("stores/pstore.ini");
  try {
    EmulatedMachine::Open(image.root());
    ADD_FAILURE() << "a folder in place of the store file was accepted";
  } catch (const MachineImageError& e) {
    EXPECT_NE(std::string(e.what()).find("pstore.ini: is not a file"), std::string::npos);
  }
}

// The sample in docs/machine-image.md loads as it is shown.
TEST(PStoreFile, DocumentedSampleLoads) {
  std::ifstream in(std::string(MORVEL_SOURCE_DIR) + "/docs/machine-image.md");
  std::stringstream doc;
  doc << in.rdbuf();
  const std::string text = doc.str();
  const auto section = text.find("### stores/pstore.ini");
  ASSERT_NE(section, std::string::npos);
  const auto start = text.find("```\n", section);
  ASSERT_NE(start, std::string::npos);
  const auto end = text.find("```\n", start + 4);
  ASSERT_NE(end, std::string::npos);
  const auto store = EmulatedPStore::Parse(text.substr(start + 4, end - start - 4), "sample");
  auto provider = store->CreateProvider(std::nullopt);
  ASSERT_TRUE(provider.ok());
  const StoreId id = *StoreId::Parse(kId);
  EXPECT_EQ(provider.value->TypeDisplayName(0, id, 0).value, u"Internet Explorer");
  auto items = provider.value->EnumItems(0, id, id, 0);
  ASSERT_TRUE(items.ok());
  std::array<std::u16string, 16> batch;
  std::uint32_t fetched = 0;
  items.value->Next(batch, fetched);
  EXPECT_EQ(fetched, 2u);
}

TEST(StoreIdText, ParsesAndPrintsTheRegistryForm) {
  const auto id = StoreId::Parse("{8a078c30-3755-11d0-A0BD-00AA0061426A}");
  ASSERT_TRUE(id);
  EXPECT_EQ(id->bytes,
            (std::array<std::uint8_t, 16>{0x30, 0x8C, 0x07, 0x8A, 0x55, 0x37, 0xD0, 0x11, 0xA0,
                                          0xBD, 0x00, 0xAA, 0x00, 0x61, 0x42, 0x6A}));
  EXPECT_EQ(id->ToString(), "{8A078C30-3755-11D0-A0BD-00AA0061426A}");
  for (const char* bad :
       {"", "{}", "8A078C30-3755-11D0-A0BD-00AA0061426A", "{8A078C30-3755-11D0-A0BD-00AA0061426}",
        "{8A078C30-3755-11D0-A0BD-00AA0061426AB}", "{8A078C30+3755-11D0-A0BD-00AA0061426A}",
        "{8A078C3G-3755-11D0-A0BD-00AA0061426A}", "(8A078C30-3755-11D0-A0BD-00AA0061426A)"}) {
    EXPECT_FALSE(StoreId::Parse(bad)) << bad;
  }
}

TEST(Windows1252, ConvertsAsWindowsDoes) {
  struct Case {
    std::u16string wide;
    std::string narrow;
  };
  const Case both_ways[] = {
      {u"plain ASCII", "plain ASCII"},
      {u"caf\u00E9 \u00FF\u00A0", "caf\xE9 \xFF\xA0"},
      {u"\u20AC\u201A\u0178\u017E", "\x80\x82\x9F\x9E"},
      {u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},  // undefined in 1252
  };
  for (const Case& c : both_ways) {
    EXPECT_EQ(Utf16ToWindows1252(c.wide), c.narrow);
    EXPECT_EQ(Windows1252ToUtf16(c.narrow), c.wide);
  }
  // Lacking characters become one "?" each, a surrogate pair being one character.
  EXPECT_EQ(Utf16ToWindows1252(u"\u0100\u65E5\U0001F600\u0080z"), "????z");
  EXPECT_EQ(Utf16ToWindows1252(std::u16string(1, char16_t(0xD800)) + u"a"), "?a");
}

}  // namespace
}  // namespace morvel::platform::emulated
