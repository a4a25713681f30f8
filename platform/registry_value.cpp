#include "common/text.h"
#include "platform/registry.h"

namespace morvel::platform {

namespace {

std::vector<std::uint8_t> ToBytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string Utf16Data(const std::vector<std::uint8_t>& data) {
  return Utf16LeBytesToUtf8(
      std::string_view(reinterpret_cast<const char*>(data.data()), data.size() & ~std::size_t{1}));
}

}  // namespace

RegistryValue RegistryValue::MakeString(std::string name, std::string_view text, ValueType type) {
  std::string bytes = Utf8ToUtf16LeBytes(text);
  bytes.append(2, '\0');
  return {std::move(name), type, ToBytes(bytes)};
}

RegistryValue RegistryValue::MakeMultiString(std::string name,
                                             const std::vector<std::string>& items) {
  std::string bytes;
  for (const std::string& item : items) {
    bytes += Utf8ToUtf16LeBytes(item);
    bytes.append(2, '\0');
  }
  bytes.append(2, '\0');
  return {std::move(name), ValueType::MultiString, ToBytes(bytes)};
}

RegistryValue RegistryValue::MakeDword(std::string name, std::uint32_t number) {
  std::vector<std::uint8_t> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return {std::move(name), ValueType::Dword, std::move(bytes)};
}

RegistryValue RegistryValue::MakeQword(std::string name, std::uint64_t number) {
  std::vector<std::uint8_t> bytes(8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return {std::move(name), ValueType::Qword, std::move(bytes)};
}

RegistryValue RegistryValue::MakeBinary(std::string name, std::vector<std::uint8_t> bytes,
                                        ValueType type) {
  return {std::move(name), type, std::move(bytes)};
}

std::optional<std::string> RegistryValue::AsText() const {
  if (type != ValueType::String && type != ValueType::ExpandString && type != ValueType::Link)
    return std::nullopt;
  std::string text = Utf16Data(data);
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

std::optional<std::vector<std::string>> RegistryValue::AsMultiString() const {
  if (type != ValueType::MultiString) return std::nullopt;
  std::vector<std::string> items;
  const std::string text = Utf16Data(data);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t zero = text.find('\0', start);
    if (zero == std::string::npos) zero = text.size();
    if (zero == start) break;  // the empty item that ends the list
    items.push_back(text.substr(start, zero - start));
    start = zero + 1;
  }
  return items;
}

std::optional<std::uint64_t> RegistryValue::AsNumber() const {
  if (type == ValueType::Dword && data.size() == 4) {
    std::uint64_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data[i];
    return v;
  }
  if (type == ValueType::Qword && data.size() == 8) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data[i];
    return v;
  }
  return std::nullopt;
}

std::optional<std::string> ReadText(const Registry& registry, RootKey root, std::string_view path,
                                    std::string_view name) {
  auto value = registry.ReadValue(root, path, name);
  if (!value) return std::nullopt;
  return value.value.AsText();
}

}  // namespace morvel::platform
