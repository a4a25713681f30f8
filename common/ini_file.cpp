#include "common/ini_file.h"

#include <algorithm>
#include <set>

#include "common/text.h"

namespace morvel {

namespace {

constexpr std::size_t npos = std::string::npos;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

bool ParseProfileInteger(std::string_view text, long long& out) {
  text = Trim(text);
  bool hex = false;
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (!digits.empty() && digits[0] == '$') {
    hex = true;
    digits.remove_prefix(1);
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    hex = true;
    digits.remove_prefix(2);
  }
  if (!hex) return ParseInt(text, out);
  if (digits.empty() || digits.size() > 16) return false;
  unsigned long long v = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  // Negated as unsigned: "-$8000000000000000" is the smallest long long, not an overflow.
  out = static_cast<long long>(negative ? 0 - v : v);
  return true;
}

bool IsSkippedLine(std::string_view text) {
  const std::string_view t = Trim(text);
  return t.empty() || t.front() == ';';
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Big-endian UTF-16 is little-endian with each unit's bytes swapped.
std::string SwapBytePairs(std::string_view bytes) {
  std::string out(bytes);
  for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  return out;
}

// A key that names a number as the numbered lists write it: digits only, no leading zero.
bool ParseListNumber(std::string_view key, long long& out) {
  if (key.empty() || key.size() > 18 || (key.size() > 1 && key[0] == '0')) return false;
  long long n = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  out = n;
  return true;
}

}  // namespace

std::optional<NonText> FindNonText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t c = DecodeUtf8(text, i);
    const std::size_t length = i - at;
    const bool overlong =
        (length == 2 && c < 0x80) || (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (overlong || (c == 0xFFFD && text.substr(at, length) != "\xEF\xBF\xBD"))
      return NonText{at, "invalid UTF-8"};
    if (c == 0) return NonText{at, "a zero byte"};
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      return NonText{at, std::string("control character 0x") + kHex[c >> 4] + kHex[c & 0xF]};
    }
    if (c >= 0xD800 && c < 0xE000) return NonText{at, "an unpaired surrogate"};
  }
  return std::nullopt;
}

std::size_t LineOfOffset(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      ++line;
  }
  return line;
}

IniText DecodeIniText(std::string_view bytes) {
  IniText decoded;
  const bool little = bytes.starts_with(kUtf16LeMark);
  if (little || bytes.starts_with(kUtf16BeMark)) {
    decoded.encoding = little ? IniEncoding::Utf16Le : IniEncoding::Utf16Be;
    std::string_view body = bytes.substr(2);
    if (body.size() % 2 != 0) {
      decoded.tail.assign(1, body.back());
      body.remove_suffix(1);
    }
    decoded.text = Utf16LeBytesToUtf8(little ? std::string(body) : SwapBytePairs(body));
  } else if (bytes.starts_with(kUtf8Mark)) {
    decoded.encoding = IniEncoding::Utf8Bom;
    decoded.text = bytes.substr(kUtf8Mark.size());
  } else {
    decoded.text = bytes;
  }
  return decoded;
}

std::string EncodeIniText(std::string_view text, IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::Plain:
      break;
    case IniEncoding::Utf8Bom:
      return std::string(kUtf8Mark) + std::string(text);
    case IniEncoding::Utf16Le:
      return std::string(kUtf16LeMark) + Utf8ToUtf16LeBytes(text);
    case IniEncoding::Utf16Be:
      return std::string(kUtf16BeMark) + SwapBytePairs(Utf8ToUtf16LeBytes(text));
  }
  return std::string(text);
}

std::optional<std::string_view> IniSectionName(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  // A header without "]" still opens a section named by the rest of the line.
  const std::string_view name = close == npos ? t.substr(1) : t.substr(1, close - 1);
  return Trim(name);
}

bool SplitIniLine(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::size_t eq = line.find('=');
  if (eq == npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

IniDocument IniDocument::Parse(std::string_view file_bytes) {
  IniText decoded = DecodeIniText(file_bytes);
  const std::string_view bytes = decoded.text;
  IniDocument doc;
  doc.encoding_ = decoded.encoding;
  doc.tail_ = std::move(decoded.tail);
  bool newline_chosen = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    Line line;
    if (end == npos) {
      line.text = std::string(bytes.substr(pos));
      pos = bytes.size();
    } else {
      line.text = std::string(bytes.substr(pos, end - pos));
      std::size_t after = end + 1;
      if (bytes[end] == '\r' && after < bytes.size() && bytes[after] == '\n') ++after;
      line.end = std::string(bytes.substr(end, after - end));
      if (!newline_chosen) {
        doc.newline_ = line.end;
        newline_chosen = true;
      }
      pos = after;
    }
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += l.end;
  }
  if (encoding_ == IniEncoding::Plain) return out;
  return EncodeIniText(out, encoding_) + tail_;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = IniSectionName(lines_[i].text);
    if (name && SameText(*name, Trim(section))) return i;
  }
  return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !IniSectionName(lines_[i].text)) ++i;
  return i;
}

std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (IsSkippedLine(lines_[i].text)) continue;
    std::string_view k, v;
    if (SplitIniLine(lines_[i].text, k, v) && SameText(k, Trim(key))) return i;
  }
  return npos;
}

std::optional<std::string> IniDocument::Read(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const std::size_t at = FindKey(header, key);
  if (at == npos) return std::nullopt;
  std::string_view k, v;
  SplitIniLine(lines_[at].text, k, v);
  return std::string(StripQuotes(v));
}

std::optional<std::size_t> IniDocument::LineNumber(std::string_view section,
                                                   std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const std::size_t at = FindKey(header, key);
  if (at == npos) return std::nullopt;
  return at + 1;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  auto v = Read(section, key);
  return v ? *v : std::string(fallback);
}

std::optional<long long> IniDocument::ReadIntegerIf(std::string_view section,
                                                    std::string_view key) const {
  auto v = Read(section, key);
  long long n = 0;
  if (v && ParseProfileInteger(*v, n)) return n;
  return std::nullopt;
}

long long IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                   long long fallback) const {
  return ReadIntegerIf(section, key).value_or(fallback);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& l : lines_)
    if (auto name = IniSectionName(l.text)) names.emplace_back(*name);
  return names;
}

std::vector<std::string> IniDocument::SectionLines(std::string_view section) const {
  std::vector<std::string> out;
  const std::size_t header = FindSection(section);
  if (header == npos) return out;
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (IsSkippedLine(lines_[i].text)) continue;
    std::string_view k, v;
    if (SplitIniLine(lines_[i].text, k, v)) {
      out.push_back(std::string(k) + "=" + std::string(v));
    } else {
      out.emplace_back(Trim(lines_[i].text));
    }
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> IniDocument::SectionEntries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const std::size_t header = FindSection(section);
  if (header == npos) return out;
  std::set<std::string> seen;  // upper-cased: keys match without regard to case
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    std::string_view k, v;
    if (IsSkippedLine(lines_[i].text) || !SplitIniLine(lines_[i].text, k, v)) continue;
    if (seen.insert(UpperCase(k)).second) out.emplace_back(k, StripQuotes(v));
  }
  return out;
}

std::vector<std::string> IniDocument::NumberedValues(std::string_view section, long long first,
                                                     long long count) const {
  std::vector<std::pair<long long, std::string>> numbered;
  for (auto& [key, value] : SectionEntries(section)) {
    long long n = 0;
    // Compared as offsets from `first`, so that no sum can overflow.
    if (value.empty() || !ParseListNumber(key, n) || n < first || n - first >= count) continue;
    numbered.emplace_back(n, std::move(value));
  }
  std::sort(numbered.begin(), numbered.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> values;
  values.reserve(numbered.size());
  for (auto& entry : numbered) values.push_back(std::move(entry.second));
  return values;
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  const std::size_t header = FindSection(section);
  if (header == npos) {
    // A last line without its line end gets one before anything is appended.
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = newline_;
    lines_.push_back({"[" + std::string(Trim(section)) + "]", newline_});
    lines_.push_back({entry, newline_});
    changed_ = true;
    return;
  }
  const std::size_t at = FindKey(header, key);
  if (at != npos) {
    // The same value again leaves the line as it is, spacing and all.
    std::string_view k, old_value;
    SplitIniLine(lines_[at].text, k, old_value);
    if (old_value != Trim(value)) {
      lines_[at].text = entry;
      changed_ = true;
    }
    return;
  }
  // Append after the section's last non-blank line, as the profile functions do.
  std::size_t insert = SectionEnd(header);
  while (insert > header + 1 && Trim(lines_[insert - 1].text).empty()) --insert;
  if (lines_[insert - 1].end.empty()) lines_[insert - 1].end = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), Line{entry, newline_});
  changed_ = true;
}

void IniDocument::RemoveSection(std::string_view section) {
  for (std::size_t header = FindSection(section); header != npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    changed_ = true;
  }
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, long long value) {
  Write(section, key, std::to_string(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
  Write(section, key, value ? "1" : "0");
}

}  // namespace morvel
