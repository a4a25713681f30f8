#include "platform/emulated/reg_text.h"

#include "common/text.h"

#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace morvel::platform::emulated {

// The ASCII fast paths test whole words against lane masks laid out little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

std::uint32_t UnitAt(const unsigned char* p, std::size_t i) {
  return static_cast<std::uint32_t>(p[2 * i]) | (static_cast<std::uint32_t>(p[2 * i + 1]) << 8);
}

}  // namespace

char* Utf16LeUnitsToUtf8(const char* bytes, std::size_t units, char* o) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t i = 0;
  while (i < units) {
    // ASCII runs dominate .reg files: sixteen units at a time while they last.
#ifdef __SSE2__
    const __m128i non_ascii = _mm_set1_epi16(static_cast<short>(0xFF80));
    while (i + 16 <= units) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i + 16));
      const __m128i high = _mm_and_si128(_mm_or_si128(a, b), non_ascii);
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(a, b));
      o += 16;
      i += 16;
    }
#else
    while (i + 8 <= units) {
      const unsigned char* q = p + 2 * i;
      std::uint64_t lo, hi;
      std::memcpy(&lo, q, 8);
      std::memcpy(&hi, q + 8, 8);
      // Every high byte zero and every low byte below 0x80.
      if (((lo | hi) & 0xFF80FF80FF80FF80ULL) != 0) break;
      for (int k = 0; k < 8; ++k) o[k] = static_cast<char>(q[2 * k]);
      o += 8;
      i += 8;
    }
#endif
    if (i >= units) break;
    const std::uint32_t u = UnitAt(p, i);
    if (u < 0x80) {
      *o++ = static_cast<char>(u);
      ++i;
    } else if (u < 0x800) {
      *o++ = static_cast<char>(0xC0 | (u >> 6));
      *o++ = static_cast<char>(0x80 | (u & 0x3F));
      ++i;
    } else if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && UnitAt(p, i + 1) >= 0xDC00 &&
               UnitAt(p, i + 1) < 0xE000) {
      const std::uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (UnitAt(p, i + 1) - 0xDC00);
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
      i += 2;
    } else {
      // Includes unpaired surrogates, kept as their three-byte form.
      *o++ = static_cast<char>(0xE0 | (u >> 12));
      *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (u & 0x3F));
      ++i;
    }
  }
  return o;
}

TextBuffer Utf16LeToUtf8(std::string_view bytes) {
  const std::size_t units = bytes.size() / 2;
  TextBuffer out;
  out.data = std::make_unique_for_overwrite<char[]>(Utf8Capacity(units));
  out.size = static_cast<std::size_t>(Utf16LeUnitsToUtf8(bytes.data(), units, out.data.get()) -
                                      out.data.get());
  return out;
}

void AppendUtf8AsUtf16Le(std::string_view text, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * text.size());  // never more units than bytes
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  char* o = out.data() + start;
  auto put = [&o](std::uint32_t unit) {
    o[0] = static_cast<char>(unit & 0xFF);
    o[1] = static_cast<char>(unit >> 8);
    o += 2;
  };
  std::size_t i = 0;
  while (i < n) {
#ifdef __SSE2__
    while (i + 16 <= n) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(v) != 0) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(v, _mm_setzero_si128()));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16),
                       _mm_unpackhi_epi8(v, _mm_setzero_si128()));
      o += 32;
      i += 16;
    }
#endif
    while (i + 8 <= n) {
      std::uint64_t v;
      std::memcpy(&v, p + i, 8);
      if ((v & 0x8080808080808080ULL) != 0) break;
      for (int k = 0; k < 8; ++k) {
        o[2 * k] = static_cast<char>(p[i + k]);
        o[2 * k + 1] = 0;
      }
      o += 16;
      i += 8;
    }
    if (i >= n) break;
    std::uint32_t cp = DecodeUtf8(text, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

}  // namespace morvel::platform::emulated
