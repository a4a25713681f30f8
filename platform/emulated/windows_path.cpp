#include "platform/emulated/windows_path.h"

#include "common/text.h"

namespace morvel::platform::emulated {

namespace {

constexpr std::uint32_t kErrorInvalidName = 123;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsForbiddenInName(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20) return true;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
    case '\\':
    case '/':
      return true;
    default:
      return false;
  }
}

// Win32 drops trailing dots and blanks from every name: "notes." opens "notes".
std::string_view StripTrailingDotsAndBlanks(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

}  // namespace

std::string WindowsPath::ToString() const {
  std::string out{drive, ':', '\\'};
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0) out += '\\';
    out += components[i];
  }
  return out;
}

bool IsValidWindowsName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (IsForbiddenInName(c)) return false;
  return true;
}

Result<WindowsPath> ParseWindowsPath(std::string_view text) {
  const auto invalid = [] {
    return Result<WindowsPath>::Failed(ErrorKind::InvalidArgument, kErrorInvalidName);
  };
  if (text.size() < 3) return invalid();
  const char letter = UpperAscii(text[0]);
  if (letter < 'A' || letter > 'Z' || text[1] != ':' || !IsSeparator(text[2])) return invalid();

  WindowsPath path;
  path.drive = letter;
  std::size_t pos = 3;
  while (pos < text.size()) {
    if (IsSeparator(text[pos])) {
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    const std::string_view name = text.substr(pos, end - pos);
    pos = end;
    if (name == ".") continue;
    if (name == "..") {
      if (path.components.empty()) return invalid();
      path.components.pop_back();
      continue;
    }
    const std::string_view kept = StripTrailingDotsAndBlanks(name);
    if (!IsValidWindowsName(kept)) return invalid();
    path.components.emplace_back(kept);
  }
  return Result<WindowsPath>::Of(std::move(path));
}

bool SamePath(const WindowsPath& a, const WindowsPath& b) {
  if (a.drive != b.drive || a.components.size() != b.components.size()) return false;
  for (std::size_t i = 0; i < a.components.size(); ++i)
    if (!SameText(a.components[i], b.components[i])) return false;
  return true;
}

}  // namespace morvel::platform::emulated
