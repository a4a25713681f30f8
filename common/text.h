#pragma once
// Text helpers shared by every layer: letter case as Windows compares names, and the
// UTF-8 <-> UTF-16LE conversions that registry data and .reg files need.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvel {

// Upper case of the ASCII letters; other bytes (UTF-8 sequences included) stay as they are.
char UpperAscii(char c);
std::string UpperCase(std::string_view text);

// Whether two names are equal without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

// Orders names as NTFS lists folder entries and the registry lists sub-keys: by their
// upper-cased bytes. Returns <0, 0 or >0.
int CompareUpper(std::string_view a, std::string_view b);

// Decodes the UTF-8 sequence at text[i] and moves i past it. Surrogate code points (WTF-8)
// are accepted so that unpaired surrogates survive a round trip; an invalid byte gives
// U+FFFD and moves i on by one.
char32_t DecodeUtf8(std::string_view text, std::size_t& i);

// UTF-8 to UTF-16 code units. Invalid bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-16 code units to UTF-8. An unpaired surrogate is kept as its three-byte form
// (WTF-8) so that it survives a round trip.
std::string Utf16ToUtf8(std::u16string_view text);

// Little-endian UTF-16 bytes <-> UTF-8. An odd trailing byte is dropped.
std::string Utf16LeBytesToUtf8(std::string_view bytes);
std::string Utf8ToUtf16LeBytes(std::string_view text);

// Decimal text of an integer, and the strict parse the profile functions' readers use:
// optional sign and digits only; nullopt-like failure via the bool.
bool ParseInt(std::string_view text, long long& out);

// A moment in UTC to the second, as ISO 8601 writes it: "2026-12-08T10:00:00Z".
std::string UtcTimeText(std::chrono::system_clock::time_point time);

}  // namespace morvel
