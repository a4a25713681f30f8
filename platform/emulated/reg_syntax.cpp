#include "platform/emulated/reg_syntax.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/text.h"

namespace morvel::platform::emulated::reg {

namespace {

struct RootNames {
  RootKey root;
  std::string_view name;
  std::string_view short_name;
};

constexpr std::array<RootNames, 5> kRoots{{
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RootKey::Users, "HKEY_USERS", "HKU"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
}};

// Hex digit values by byte, -1 for the rest: the byte lists are most of a big file.
constexpr std::array<std::int8_t, 256> kHexValues = [] {
  std::array<std::int8_t, 256> table{};
  for (auto& v : table) v = -1;
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<std::int8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<std::int8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<std::int8_t>(c - 'A' + 10);
  return table;
}();

int HexDigit(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos, std::size_t end) {
  while (pos < end && IsBlank(text[pos])) ++pos;
  return pos;
}

// Checks that only blanks remain in [pos, end).
void ExpectLineEnd(std::string_view text, std::size_t pos, std::size_t end, std::size_t line) {
  if (SkipBlanks(text, pos, end) != end) throw SyntaxError(line, "unexpected text after the value");
}

// Checks `"text"` starting at the opening quote; returns the offset after the closing one.
std::size_t ScanQuoted(std::string_view text, std::size_t pos, std::size_t end, std::size_t line,
                       const char* what) {
  // The closing quote is the first one after an even run of backslashes.
  for (std::size_t from = pos + 1; from < end;) {
    const void* found = std::memchr(text.data() + from, '"', end - from);
    if (found == nullptr) break;
    const auto quote = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    std::size_t backslashes = 0;
    while (quote - backslashes > pos + 1 && text[quote - backslashes - 1] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return quote + 1;
    from = quote + 1;
  }
  throw SyntaxError(line, std::string("unterminated ") + what);
}

// Checks a hex byte list ("hex:" or "hex(N):" already read) that may continue over lines
// ending with "\"; returns where it ends and how many lines it spans.
void ScanHexList(std::string_view text, std::size_t pos, LineSpan span, ValueEntry& entry) {
  bool want_byte = true;  // at the start or after a comma
  std::size_t line = 0;
  for (;;) {
    // Regedit's own layout, "xx," after "xx,", takes the short way.
    if (want_byte) {
      const std::size_t end = span.content_end;
      while (pos + 3 <= end && text[pos + 2] == ',' && HexDigit(text[pos]) >= 0 &&
             HexDigit(text[pos + 1]) >= 0)
        pos += 3;
    }
    pos = SkipBlanks(text, pos, span.content_end);
    if (pos == span.content_end) break;
    const char c = text[pos];
    if (c == '\\' && SkipBlanks(text, pos + 1, span.content_end) == span.content_end) {
      if (span.next >= text.size()) break;  // a continuation at the very end: nothing follows
      pos = span.next;
      span = LineAt(text, pos);
      ++line;
      continue;
    }
    if (c == ',') {
      if (want_byte) throw SyntaxError(line, "missing hex byte before ','");
      want_byte = true;
      ++pos;
      continue;
    }
    if (!want_byte || HexDigit(c) < 0) throw SyntaxError(line, "bad hex byte");
    std::size_t digits = 0;
    while (pos < span.content_end && HexDigit(text[pos]) >= 0) {
      ++pos;
      ++digits;
    }
    if (digits > 2) throw SyntaxError(line, "bad hex byte");
    want_byte = false;
  }
  entry.data_end = span.content_end;
  entry.next = span.next;
  entry.lines = line + 1;
}

void AppendHexList(std::string& out, const std::vector<std::uint8_t>& data, std::size_t column,
                   std::string_view eol) {
  static constexpr char kDigits[] = "0123456789abcdef";
  // Regedit breaks after a comma once the line reaches 77 columns, and goes on two blanks in.
  constexpr std::size_t kMaxColumns = 77;
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 0xF];
    if (i + 1 == data.size()) break;
    out += ',';
    column += 3;
    if (column >= kMaxColumns) {
      out += '\\';
      out += eol;
      out += "  ";
      column = 2;
    }
  }
}

// Whether string data is one zero-terminated UTF-16 string with no zero inside, the only
// shape regedit writes in quotes.
bool IsPlainString(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  for (std::size_t i = 0; i + 2 < data.size(); i += 2)
    if (data[i] == 0 && data[i + 1] == 0) return false;
  return data[data.size() - 2] == 0 && data[data.size() - 1] == 0;
}

}  // namespace

std::optional<RootKey> ParseRootName(std::string_view name) {
  for (const RootNames& r : kRoots)
    if (SameText(name, r.name) || SameText(name, r.short_name)) return r.root;
  return std::nullopt;
}

std::string_view RootName(RootKey root) {
  for (const RootNames& r : kRoots)
    if (r.root == root) return r.name;
  return "HKEY_CURRENT_USER";
}

LineSpan LineAt(std::string_view text, std::size_t pos) {
  const void* nl = std::memchr(text.data() + pos, '\n', text.size() - pos);
  if (nl == nullptr) return {text.size(), text.size()};
  const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nl) - text.data());
  const std::size_t end = (at > pos && text[at - 1] == '\r') ? at - 1 : at;
  return {end, at + 1};
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

ValueEntry ScanValueEntry(std::string_view text, std::size_t pos) {
  ValueEntry entry;
  const LineSpan span = LineAt(text, pos);
  const std::size_t end = span.content_end;
  entry.next = span.next;
  entry.data_end = end;
  if (text[pos] == '@') {
    entry.is_default = true;
    ++pos;
  } else {
    const std::size_t after = ScanQuoted(text, pos, end, 0, "value name");
    entry.escaped_name = text.substr(pos + 1, after - pos - 2);
    pos = after;
  }
  pos = SkipBlanks(text, pos, end);
  if (pos == end || text[pos] != '=') throw SyntaxError(0, "missing '=' after the value name");
  pos = SkipBlanks(text, pos + 1, end);
  entry.data_begin = pos;
  const std::string_view rest = text.substr(pos, end - pos);
  if (rest.empty()) throw SyntaxError(0, "missing value data");
  if (rest.front() == '"') {
    ExpectLineEnd(text, ScanQuoted(text, pos, end, 0, "string"), end, 0);
  } else if (StartsWithNoCase(rest, "dword:")) {
    std::size_t i = pos + 6, digits = 0;
    while (i < end && HexDigit(text[i]) >= 0) {
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 8) throw SyntaxError(0, "bad dword value");
    ExpectLineEnd(text, i, end, 0);
  } else if (StartsWithNoCase(rest, "hex")) {
    std::size_t i = pos + 3;
    if (i < end && text[i] == '(') {
      std::size_t digits = 0;
      ++i;
      while (i < end && HexDigit(text[i]) >= 0) {
        ++i;
        ++digits;
      }
      if (digits == 0 || digits > 8 || i >= end || text[i] != ')')
        throw SyntaxError(0, "bad value type in hex(...)");
      ++i;
    }
    if (i >= end || text[i] != ':') throw SyntaxError(0, "missing ':' after hex");
    ScanHexList(text, i + 1, span, entry);
  } else if (rest.front() == '-') {
    throw SyntaxError(0, "value deletion (=-) is not supported in a machine image");
  } else {
    throw SyntaxError(0, "unknown value data");
  }
  return entry;
}

RegistryValue DecodeValue(std::string name, std::string_view data) {
  if (!data.empty() && data.front() == '"') {
    const std::size_t close = data.find_last_of('"');
    const std::string_view inner = close == 0 ? std::string_view() : data.substr(1, close - 1);
    return RegistryValue::MakeString(std::move(name), Unescape(inner));
  }
  if (StartsWithNoCase(data, "dword:")) {
    std::uint32_t number = 0;
    for (std::size_t i = 6; i < data.size() && HexDigit(data[i]) >= 0; ++i)
      number = (number << 4) | static_cast<std::uint32_t>(HexDigit(data[i]));
    return RegistryValue::MakeDword(std::move(name), number);
  }
  // hex: or hex(N):
  std::uint32_t type = static_cast<std::uint32_t>(ValueType::Binary);
  std::size_t i = 3;
  if (i < data.size() && data[i] == '(') {
    type = 0;
    for (++i; i < data.size() && HexDigit(data[i]) >= 0; ++i)
      type = (type << 4) | static_cast<std::uint32_t>(HexDigit(data[i]));
  }
  while (i < data.size() && data[i] != ':') ++i;
  std::vector<std::uint8_t> bytes;
  bytes.reserve((data.size() - std::min(i, data.size())) / 3 + 1);
  int pending = -1;  // the byte being read
  for (++i; i < data.size(); ++i) {
    const int d = HexDigit(data[i]);
    if (d >= 0) {
      pending = pending < 0 ? d : (pending << 4) | d;
    } else if (pending >= 0) {
      bytes.push_back(static_cast<std::uint8_t>(pending));
      pending = -1;
    }
  }
  if (pending >= 0) bytes.push_back(static_cast<std::uint8_t>(pending));
  return RegistryValue::MakeBinary(std::move(name), std::move(bytes), static_cast<ValueType>(type));
}

std::string Unescape(std::string_view escaped) {
  std::string out;
  out.reserve(escaped.size());
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const char c = escaped[i];
    if (c != '\\' || i + 1 == escaped.size()) {
      out += c;
      continue;
    }
    const char next = escaped[++i];
    switch (next) {
      case '\\':
      case '"':
        out += next;
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case '0':
        out += '\0';
        break;
      default:  // not an escape regedit knows: both characters stay
        out += '\\';
        out += next;
    }
  }
  return out;
}

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string FormatValue(const RegistryValue& value, std::string_view eol) {
  std::string out;
  if (value.name.empty()) {
    out = "@=";
  } else {
    out = '"';
    out += Escape(value.name);
    out += "\"=";
  }
  // Columns count characters (UTF-16 units on Windows); bytes are close enough for
  // the names of wrapped values, and the file stays valid whatever the wrap.
  const std::size_t column = Utf8ToUtf16(out).size();
  if (value.type == ValueType::String && IsPlainString(value.data)) {
    out += '"';
    out += Escape(*value.AsText());
    out += '"';
  } else if (value.type == ValueType::Dword && value.data.size() == 4) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::uint64_t number = *value.AsNumber();
    out += "dword:";
    for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(number >> shift) & 0xF];
  } else {
    std::string type = "hex:";
    if (value.type != ValueType::Binary) {
      static constexpr char kDigits[] = "0123456789abcdef";
      std::string number;
      auto n = static_cast<std::uint32_t>(value.type);
      do {
        number.insert(number.begin(), kDigits[n & 0xF]);
        n >>= 4;
      } while (n != 0);
      type = "hex(" + number + "):";
    }
    out += type;
    AppendHexList(out, value.data, column + type.size(), eol);
  }
  out += eol;
  return out;
}

}  // namespace morvel::platform::emulated::reg
