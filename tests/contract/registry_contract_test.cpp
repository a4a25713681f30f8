// The registry part of the port, the same on every backend.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using platform::RegistryValue;
using platform::ValueType;

using RegistryContract = PortContract;

std::vector<std::string> NamesOf(const std::vector<RegistryValue>& values) {
  std::vector<std::string> names;
  for (const RegistryValue& value : values) names.push_back(value.name);
  return names;
}

// Names in ascending order, so that the list is also the creation order.
std::vector<RegistryValue> OneOfEveryType() {
  return {
      RegistryValue::MakeString("", "default value"),
      RegistryValue::MakeString("a string", "Gr\u00fc\u00dfe \u20ac \U0001F600"),
      RegistryValue::MakeString("b expandable", "%TEMP%\\x", ValueType::ExpandString),
      RegistryValue::MakeMultiString("c multi", {"one", "two words", "\u00e9"}),
      RegistryValue::MakeMultiString("d empty multi", {}),
      RegistryValue::MakeDword("e dword", 0xDEADBEEF),
      RegistryValue::MakeQword("f qword", 0x0123456789ABCDEFull),
      RegistryValue::MakeBinary("g binary", {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x00}),
      RegistryValue::MakeBinary("h empty binary", {}),
      RegistryValue::MakeBinary("i none", {0x01, 0x02}, ValueType::None),
      RegistryValue::MakeBinary("j empty none", {}, ValueType::None),
      RegistryValue::MakeString("k empty string", ""),
      // Larger than any first guess at a buffer.
      RegistryValue::MakeBinary("ka big binary", std::vector<std::uint8_t>(100000, 0xA5)),
      // A type number the port does not name passes through.
      RegistryValue::MakeBinary("l odd type", {0x05}, static_cast<ValueType>(0x1234)),
  };
}

// A zero inside a key path or value name would leave the shorter one before it to be
// removed (and a sub-key of that one would lead back to it without end): such a path or
// name names nothing.
TEST_F(RegistryContract, KeysAndNamesCutByAZeroNameNothing) {
  using namespace std::string_literals;
  PutKey(kRoot, Key("Leaf"), {"a"});
  PutKey(kRoot, Key("Leaf\\Sub"), {"b"});
  const std::string cut = Key("Leaf") + "\0\\Sub"s;
  EXPECT_FALSE(registry().KeyExists(kRoot, cut));
  EXPECT_FALSE(registry().SubKeyNames(kRoot, cut).ok());
  EXPECT_FALSE(registry().Values(kRoot, cut).ok());
  EXPECT_FALSE(registry().DeleteTree(kRoot, cut).ok());
  EXPECT_FALSE(registry().DeleteTree(kRoot, Key("Leaf") + "\0"s).ok());
  EXPECT_FALSE(registry().DeleteValue(kRoot, cut, "b").ok());
  EXPECT_FALSE(registry().ReadValue(kRoot, Key("Leaf"), "a\0b"s).ok());
  EXPECT_FALSE(registry().DeleteValue(kRoot, Key("Leaf"), "a\0b"s).ok());
  EXPECT_TRUE(registry().ReadValue(kRoot, Key("Leaf"), "a").ok());
  EXPECT_TRUE(registry().ReadValue(kRoot, Key("Leaf\\Sub"), "b").ok());
}

TEST_F(RegistryContract, ValuesOfEveryTypeComeBackByteForByte) {
  const std::vector<RegistryValue> written = OneOfEveryType();
  for (const RegistryValue& value : written)
    ASSERT_TRUE(registry().WriteValue(kRoot, Key("Types"), value).ok()) << value.name;

  for (const RegistryValue& value : written) {
    const auto read = registry().ReadValue(kRoot, Key("Types"), value.name);
    ASSERT_TRUE(read.ok()) << value.name;
    EXPECT_EQ(read.value, value);
  }
  const auto all = registry().Values(kRoot, Key("Types"));
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(all.value, written);
}

TEST_F(RegistryContract, ValuesComeBackInCreationOrder) {
  SKIP_IF(backend().ValueOrderUnsupported());
  for (const char* name : {"zeta", "Alpha", "mid", "", "beta"})
    ASSERT_TRUE(registry().WriteValue(kRoot, Key(), RegistryValue::MakeDword(name, 1)).ok());
  const auto values = registry().Values(kRoot, Key());
  ASSERT_TRUE(values.ok());
  EXPECT_EQ(NamesOf(values.value), (std::vector<std::string>{"zeta", "Alpha", "mid", "", "beta"}));
}

TEST_F(RegistryContract, RewritingAValueReplacesItInPlaceKeepingItsName) {
  for (const char* name : {"a", "Name", "z"})
    ASSERT_TRUE(registry().WriteValue(kRoot, Key(), RegistryValue::MakeString(name, "old")).ok());
  ASSERT_TRUE(registry().WriteValue(kRoot, Key(), RegistryValue::MakeDword("NAME", 7)).ok());

  const auto values = registry().Values(kRoot, Key());
  ASSERT_TRUE(values.ok());
  EXPECT_EQ(NamesOf(values.value), (std::vector<std::string>{"a", "Name", "z"}));
  const auto read = registry().ReadValue(kRoot, Key(), "name");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value, RegistryValue::MakeDword("Name", 7));
}

TEST_F(RegistryContract, SubKeysAreListedByUpperCasedName) {
  // "_" sorts after the upper-case letters but before the lower-case ones.
  for (const char* name : {"b", "_under", "A", "c", "Z", "a1"})
    ASSERT_TRUE(registry().CreateKey(kRoot, Key(std::string("List\\") + name)).ok()) << name;
  const std::vector<std::string> expected{"A", "a1", "b", "c", "Z", "_under"};
  for (auto access : {platform::Access::Read, platform::Access::Full}) {
    const auto names = registry().SubKeyNames(kRoot, Key("List"), access);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(names.value, expected);
  }
  const auto leaf = registry().SubKeyNames(kRoot, Key("List\\A"));
  ASSERT_TRUE(leaf.ok());
  EXPECT_TRUE(leaf.value.empty());
}

TEST_F(RegistryContract, LookupIgnoresCaseAndKeepsTheCreatedCase) {
  ASSERT_TRUE(registry().CreateKey(kRoot, Key("Outer\\MixedCase")).ok());
  ASSERT_TRUE(registry()
                  .WriteValue(kRoot, Key("OUTER\\mixedcase"),
                              RegistryValue::MakeString("ValueName", "text"))
                  .ok());

  EXPECT_TRUE(registry().KeyExists(kRoot, Key("outer\\MIXEDCASE")));
  const auto names = registry().SubKeyNames(kRoot, Key("oUtEr"));
  ASSERT_TRUE(names.ok());
  EXPECT_EQ(names.value, std::vector<std::string>{"MixedCase"});

  const std::string unicode = "Outer\\\u041a\u043b\u044e\u0447 \u00fc";
  ASSERT_TRUE(registry()
                  .WriteValue(kRoot, Key(unicode), RegistryValue::MakeDword("\u00e9t\u00e9", 1))
                  .ok());
  const auto outer = registry().SubKeyNames(kRoot, Key("Outer"));
  ASSERT_TRUE(outer.ok());
  EXPECT_EQ(outer.value, (std::vector<std::string>{"MixedCase", unicode.substr(6)}));
  const auto unicode_values = registry().Values(kRoot, Key(unicode));
  ASSERT_TRUE(unicode_values.ok());
  EXPECT_EQ(NamesOf(unicode_values.value), std::vector<std::string>{"\u00e9t\u00e9"});

  const auto read = registry().ReadValue(kRoot, Key("Outer\\MixedCase"), "VALUENAME");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value.name, "ValueName");
  EXPECT_EQ(platform::ReadText(registry(), kRoot, Key("outer\\mixedcase"), "valuename"), "text");
}

TEST_F(RegistryContract, CreateKeyMakesParentsAndAcceptsAnExistingKey) {
  ASSERT_TRUE(registry().CreateKey(kRoot, Key("One\\Two\\Three")).ok());
  EXPECT_TRUE(registry().KeyExists(kRoot, Key("One")));
  EXPECT_TRUE(registry().KeyExists(kRoot, Key("One\\Two\\Three")));
  EXPECT_TRUE(registry().CreateKey(kRoot, Key("One\\Two")).ok());
  // A root always exists and lists what was made below it.
  EXPECT_TRUE(registry().KeyExists(kRoot, ""));
  const auto top = registry().SubKeyNames(kRoot, "");
  ASSERT_TRUE(top.ok());
  EXPECT_NE(std::find(top.value.begin(), top.value.end(), "Software"), top.value.end());
  const auto values = registry().Values(kRoot, Key("One\\Two\\Three"));
  ASSERT_TRUE(values.ok());
  EXPECT_TRUE(values.value.empty());
}

TEST_F(RegistryContract, MissingKeysAndValuesAreNotFound) {
  ASSERT_TRUE(registry().WriteValue(kRoot, Key("Here"), RegistryValue::MakeDword("v", 1)).ok());
  const std::string missing = Key("Missing\\Deeper");

  EXPECT_FALSE(registry().KeyExists(kRoot, missing));
  EXPECT_EQ(registry().SubKeyNames(kRoot, missing).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().Values(kRoot, missing).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().ReadValue(kRoot, missing, "v").status.kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().ReadValue(kRoot, Key("Here"), "other").status.kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().ReadValue(kRoot, Key("Here"), "").status.kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().DeleteValue(kRoot, missing, "v").kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().DeleteValue(kRoot, Key("Here"), "other").kind, ErrorKind::NotFound);
  EXPECT_EQ(registry().DeleteTree(kRoot, missing).kind, ErrorKind::NotFound);
  EXPECT_EQ(platform::ReadText(registry(), kRoot, missing, "v"), std::nullopt);

  // Looking never creates.
  EXPECT_FALSE(registry().KeyExists(kRoot, Key("Missing")));
}

TEST_F(RegistryContract, DeleteValueRemovesThatValueOnly) {
  for (const char* name : {"a", "Gone", "z"})
    ASSERT_TRUE(registry().WriteValue(kRoot, Key(), RegistryValue::MakeDword(name, 1)).ok());
  ASSERT_TRUE(registry().DeleteValue(kRoot, Key(), "GONE").ok());

  const auto values = registry().Values(kRoot, Key());
  ASSERT_TRUE(values.ok());
  EXPECT_EQ(NamesOf(values.value), (std::vector<std::string>{"a", "z"}));
  EXPECT_EQ(registry().DeleteValue(kRoot, Key(), "Gone").kind, ErrorKind::NotFound);
}

TEST_F(RegistryContract, DeleteTreeRemovesTheWholeTreeAndNothingElse) {
  const std::string deep = "Tree\\a\\b\\c\\d\\e";
  ASSERT_TRUE(registry().WriteValue(kRoot, Key(deep), RegistryValue::MakeDword("v", 1)).ok());
  for (const char* sub : {"Tree", "Tree\\a", "Tree\\a\\b2", "Tree\\x"})
    ASSERT_TRUE(registry().WriteValue(kRoot, Key(sub), RegistryValue::MakeString("", "s")).ok());
  ASSERT_TRUE(registry().WriteValue(kRoot, Key("Tree2"), RegistryValue::MakeDword("v", 1)).ok());
  ASSERT_TRUE(registry().WriteValue(kRoot, Key(), RegistryValue::MakeDword("keep", 1)).ok());

  ASSERT_TRUE(registry().DeleteTree(kRoot, Key("tree")).ok());

  EXPECT_FALSE(registry().KeyExists(kRoot, Key("Tree")));
  EXPECT_FALSE(registry().KeyExists(kRoot, Key(deep)));
  EXPECT_TRUE(registry().KeyExists(kRoot, Key("Tree2")));
  const auto names = registry().SubKeyNames(kRoot, Key());
  ASSERT_TRUE(names.ok());
  EXPECT_EQ(names.value, std::vector<std::string>{"Tree2"});
  EXPECT_TRUE(registry().ReadValue(kRoot, Key(), "keep").ok());
  EXPECT_EQ(registry().DeleteTree(kRoot, Key("Tree")).kind, ErrorKind::NotFound);
}

TEST_F(RegistryContract, DeleteTreeRefusesARoot) {
  if (!backend().IsThrowawayMachine())
    GTEST_SKIP() << "a broken implementation would empty this machine's HKEY_CURRENT_USER";
  ASSERT_TRUE(registry().CreateKey(kRoot, Key()).ok());
  for (const char* root : {"", "\\"})
    EXPECT_EQ(registry().DeleteTree(kRoot, root).kind, ErrorKind::InvalidArgument) << root;
  EXPECT_TRUE(registry().KeyExists(kRoot, Key()));
}

}  // namespace
}  // namespace morvel::contract
