#include "platform/emulated/reg_source.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "platform/emulated/machine.h"

namespace morvel::platform::emulated {

namespace {

enum class Mark { None, Utf16Bom, Utf16NoBom, Utf8Bom };

// Regedit writes UTF-16LE with a byte-order mark; a UTF-16 file without one still starts
// with the "W" of the header.
Mark DetectMark(std::string_view start) {
  if (start.starts_with("\xFF\xFE")) return Mark::Utf16Bom;
  if (start.size() >= 2 && start[0] == 'W' && start[1] == '\0') return Mark::Utf16NoBom;
  if (start.starts_with("\xEF\xBB\xBF")) return Mark::Utf8Bom;
  return Mark::None;
}

std::size_t MarkSize(Mark mark) {
  return mark == Mark::Utf16Bom ? 2 : mark == Mark::Utf8Bom ? 3 : 0;
}

bool IsHighSurrogateAt(const char* p) {
  const auto hi = static_cast<unsigned char>(p[1]);
  return hi >= 0xD8 && hi < 0xDC;
}

[[noreturn]] void CannotRead(const std::string& display_name) {
  throw MachineImageError(display_name + ": cannot read the file");
}

}  // namespace

RegSource SourceFromBytes(std::string bytes) {
  RegSource source;
  const Mark mark = DetectMark(bytes);
  source.bom = bytes.substr(0, MarkSize(mark));
  if (mark == Mark::Utf16Bom || mark == Mark::Utf16NoBom) {
    source.utf16 = true;
    const std::string_view body = std::string_view(bytes).substr(source.bom.size());
    if (body.size() % 2 != 0) source.tail.assign(1, body.back());
    source.buffer_text = Utf16LeToUtf8(body);
  } else {
    source.text_offset = source.bom.size();
    source.string_text = std::move(bytes);
  }
  return source;
}

RegSource SourceFromFile(const std::filesystem::path& file, const std::string& display_name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) CannotRead(display_name);
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) CannotRead(display_name);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"),
                                                           &std::fclose);
  if (!in) CannotRead(display_name);

  // Never more than `size` bytes are read, whatever happens to the file meanwhile: the
  // buffers are sized by it.
  std::uintmax_t remaining = size;
  auto read = [&](char* into, std::size_t most) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(most, remaining));
    const std::size_t got = std::fread(into, 1, want, in.get());
    if (got != want) CannotRead(display_name);
    remaining -= got;
    return got;
  };

  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t have = read(piece.get(), kPiece);
  RegSource source;
  const Mark mark = DetectMark(std::string_view(piece.get(), have));
  source.bom.assign(piece.get(), MarkSize(mark));

  if (mark != Mark::Utf16Bom && mark != Mark::Utf16NoBom) {
    source.text_offset = source.bom.size();
    source.buffer_text.data = std::make_unique_for_overwrite<char[]>(size + 1);
    std::memcpy(source.buffer_text.data.get(), piece.get(), have);
    source.buffer_text.size = have + read(source.buffer_text.data.get() + have, size - have);
    return source;
  }

  source.utf16 = true;
  source.buffer_text.data = std::make_unique_for_overwrite<char[]>(Utf8Capacity(size / 2));
  char* out = source.buffer_text.data.get();
  std::size_t begin = source.bom.size();
  for (;;) {
    const bool last = remaining == 0;
    const char* p = piece.get() + begin;
    const std::size_t n = have - begin;
    std::size_t whole = n & ~std::size_t{1};
    // A surrogate pair split between pieces is converted with the next one.
    if (!last && whole >= 2 && IsHighSurrogateAt(p + whole - 2)) whole -= 2;
    out = Utf16LeUnitsToUtf8(p, whole / 2, out);
    const std::size_t left = n - whole;
    if (last) {
      source.tail.assign(p + whole, left);
      break;
    }
    std::memmove(piece.get(), p + whole, left);
    have = left + read(piece.get() + left, kPiece - left);
    begin = 0;
  }
  source.buffer_text.size = static_cast<std::size_t>(out - source.buffer_text.data.get());
  return source;
}

}  // namespace morvel::platform::emulated
