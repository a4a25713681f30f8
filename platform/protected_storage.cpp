#include "platform/protected_storage.h"

namespace morvel::platform {

namespace {

// Where each byte of the identifier is written in the text form: Data1 to Data3 are
// little-endian numbers, so their bytes appear reversed.
constexpr std::array<int, 16> kTextOrder = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDashPosition(std::size_t i) { return i == 9 || i == 14 || i == 19 || i == 24; }

}  // namespace

std::optional<StoreId> StoreId::Parse(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  StoreId id;
  std::size_t next = 0;
  for (std::size_t i = 1; i < 37;) {
    if (IsDashPosition(i)) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    id.bytes[kTextOrder[next++]] = static_cast<std::uint8_t>(high * 16 + low);
    i += 2;
  }
  return id;
}

std::string StoreId::ToString() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "{";
  for (std::size_t n = 0; n < 16; ++n) {
    if (n == 4 || n == 6 || n == 8 || n == 10) out += '-';
    const std::uint8_t b = bytes[kTextOrder[n]];
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out + "}";
}

}  // namespace morvel::platform
