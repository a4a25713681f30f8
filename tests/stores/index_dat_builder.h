#pragma once
// Writes index.dat files for tests: a header, HASH tables, hash entries and "URL ",
// "LEAK" and "REDR" records at chosen offsets. Everything else stays zero.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace morvel::testing {

class IndexDatBuilder {
 public:
  // A file of `size` bytes whose header gives that size and `first_table`.
  explicit IndexDatBuilder(std::size_t size = 0x4000, std::int32_t first_table = 0x100)
      : bytes(size, '\0') {
    Int32(28, static_cast<std::int32_t>(size));
    Int32(32, first_table);
  }

  IndexDatBuilder& Int32(std::size_t at, std::int32_t value) {
    Grow(at + 4);
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    return *this;
  }
  IndexDatBuilder& UInt64(std::size_t at, std::uint64_t value) {
    Int32(at, static_cast<std::int32_t>(value & 0xFFFFFFFF));
    return Int32(at + 4, static_cast<std::int32_t>(value >> 32));
  }
  IndexDatBuilder& Bytes(std::size_t at, std::string_view text) {
    Grow(at + text.size());
    std::memcpy(bytes.data() + at, text.data(), text.size());
    return *this;
  }

  IndexDatBuilder& Table(std::size_t at, std::int32_t blocks, std::int32_t next = 0) {
    Bytes(at, "HASH");
    Int32(at + 4, blocks);
    return Int32(at + 8, next);
  }
  IndexDatBuilder& Entry(std::size_t table, std::size_t k, std::int32_t record,
                         std::uint8_t state = 0) {
    const std::size_t at = table + 16 + 8 * k;
    Grow(at + 8);
    bytes[at] = static_cast<char>(state);
    return Int32(at + 4, record);
  }
  // A "URL " or "LEAK" record whose text sits `text_offset` bytes in (0: no text).
  IndexDatBuilder& UrlRecord(std::size_t at, std::string_view url, std::uint64_t filetime,
                             std::string_view signature = "URL ", std::uint8_t text_offset = 0x68) {
    Bytes(at, signature);
    UInt64(at + 16, filetime);
    Grow(at + 53);
    bytes[at + 52] = static_cast<char>(text_offset);
    if (text_offset != 0) Bytes(at + text_offset, std::string(url) + '\0');
    return *this;
  }
  IndexDatBuilder& RedirectRecord(std::size_t at, std::string_view url, std::uint64_t filetime) {
    Bytes(at, "REDR");
    UInt64(at + 8, filetime);
    return Bytes(at + 16, std::string(url) + '\0');
  }

  std::string bytes;

 private:
  void Grow(std::size_t size) {
    if (bytes.size() < size) bytes.resize(size, '\0');
  }
};

}  // namespace morvel::testing
