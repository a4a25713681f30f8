#include "tests/bench/registry_sample.h"

#include <random>
#include <vector>

#include "common/text.h"
#include "platform/emulated/emulated_registry.h"

namespace morvel::bench {

using platform::RegistryValue;
using platform::RootKey;
using platform::ValueType;

namespace {

std::string Word(std::mt19937& random, std::size_t min, std::size_t max) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::size_t length = min + random() % (max - min + 1);
  std::string word;
  for (std::size_t i = 0; i < length; ++i) word += kLetters[random() % (sizeof(kLetters) - 1)];
  return word;
}

RegistryValue SampleValue(std::mt19937& random, int index) {
  std::string name = index == 0 && random() % 4 == 0 ? "" : Word(random, 3, 18);
  const unsigned kind = random() % 100;
  if (kind < 35) return RegistryValue::MakeString(std::move(name), Word(random, 1, 40));
  if (kind < 55) {
    return RegistryValue::MakeString(std::move(name), "C:\\Users\\User\\AppData\\Roaming\\" +
                                                          Word(random, 4, 12) + "\\" +
                                                          Word(random, 4, 20) + ".dat");
  }
  if (kind < 80) return RegistryValue::MakeDword(std::move(name), random());
  if (kind < 92) {
    std::vector<std::uint8_t> bytes(4 + random() % 200);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return RegistryValue::MakeBinary(std::move(name), std::move(bytes));
  }
  if (kind < 96) {
    return RegistryValue::MakeString(std::move(name), "%USERPROFILE%\\" + Word(random, 4, 30),
                                     ValueType::ExpandString);
  }
  if (kind < 98) {
    return RegistryValue::MakeMultiString(std::move(name),
                                          {Word(random, 2, 20), Word(random, 2, 20)});
  }
  return RegistryValue::MakeQword(std::move(name), (std::uint64_t{random()} << 32) | random());
}

}  // namespace

std::string MakeSampleRegistry(int keys, int values, bool utf16) {
  auto registry = utf16 ? platform::emulated::EmulatedRegistry::Empty()
                        : platform::emulated::EmulatedRegistry::Parse(
                              "Windows Registry Editor Version 5.00\r\n\r\n", "sample.reg");
  std::mt19937 random(20240601);
  // A tree three to six levels deep under Software, as applications lay out settings.
  std::vector<std::string> paths;
  for (int k = 0; k < keys; ++k) {
    std::string path;
    if (!paths.empty() && random() % 3 != 0) {
      path = paths[random() % paths.size()] + "\\" + Word(random, 3, 16);
    } else {
      path = "Software\\" + Word(random, 4, 12);
    }
    paths.push_back(path);
  }
  for (int v = 0, k = 0; v < values; ++k) {
    const std::string& path = paths[static_cast<std::size_t>(k) % paths.size()];
    const int count = static_cast<int>(random() % 20);
    for (int i = 0; i < count && v < values; ++i, ++v)
      (void)registry->WriteValue(RootKey::CurrentUser, path, SampleValue(random, i));
    if (count == 0) (void)registry->CreateKey(RootKey::CurrentUser, path);
  }
  return registry->Serialize();
}

}  // namespace morvel::bench
