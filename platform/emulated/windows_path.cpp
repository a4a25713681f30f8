#include "platform/emulated/windows_path.h"

#include "common/text.h"
#include "common/windows_names.h"

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

namespace {

// The names after the drive: with `literal` as the "\\?\" form takes them (only "\"
// separates, every name stays as written), else as Win32 normalises them.
bool ParseNames(std::string_view text, bool literal, WindowsPath& path) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (literal ? text[pos] == '\\' : IsSeparator(text[pos])) {
      // A doubled separator is an empty name to the file system, not to Win32.
      if (literal && pos > 0 && text[pos - 1] == '\\') return false;
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < text.size() && !(literal ? text[end] == '\\' : IsSeparator(text[end]))) ++end;
    const std::string_view name = text.substr(pos, end - pos);
    pos = end;
    if (literal) {
      if (!IsValidWindowsName(name)) return false;
      path.components.emplace_back(name);
      continue;
    }
    if (name == ".") continue;
    if (name == "..") {
      if (path.components.empty()) return false;
      path.components.pop_back();
      continue;
    }
    const std::string_view kept = StripTrailingDotsAndBlanks(name);
    // "con.txt" opens the console, not a file: only the literal form reaches such a file.
    if (!IsValidWindowsName(kept) || NeedsLiteralName(kept)) return false;
    path.components.emplace_back(kept);
  }
  return true;
}

// "X:" followed by a separator or by nothing; the drive letter, or 0.
char DriveOf(std::string_view text, bool literal) {
  if (text.size() < 2 || text[1] != ':') return 0;
  const char letter = UpperAscii(text[0]);
  if (letter < 'A' || letter > 'Z') return 0;
  if (text.size() > 2 && !(literal ? text[2] == '\\' : IsSeparator(text[2]))) return 0;
  return letter;
}

// "localhost\C$" (and what follows): the administrative share of a drive of this machine,
// the one kind of network path that leads into the machine. Its letter, and the rest of
// the text after the share's name; 0 for any other server or share.
char AdministrativeShare(std::string_view text, bool literal, std::string_view& rest) {
  const auto separator = [literal](char c) { return literal ? c == '\\' : IsSeparator(c); };
  std::size_t cut = 0;
  while (cut < text.size() && !separator(text[cut])) ++cut;
  const std::string_view server = text.substr(0, cut);
  if (!SameText(server, "localhost") && server != "127.0.0.1") return 0;
  if (cut + 3 > text.size() || text[cut + 2] != '$') return 0;
  if (cut + 3 < text.size() && !separator(text[cut + 3])) return 0;
  const char letter = UpperAscii(text[cut + 1]);
  if (letter < 'A' || letter > 'Z') return 0;
  rest = text.substr(cut + 3);
  return letter;
}

}  // namespace

Result<WindowsPath> ParseWindowsPath(std::string_view text) {
  const auto invalid = [] {
    return Result<WindowsPath>::Failed(ErrorKind::InvalidArgument, kErrorInvalidName);
  };
  // "\\?\" takes the rest as it stands; "\\.\" (a device path) and "\\server\share" are
  // normalised like a drive path.
  bool literal = false;
  bool device = false;
  bool network = false;
  if (text.starts_with("\\\\?\\")) {
    literal = true;
    text.remove_prefix(4);
  } else if (text.starts_with("\\\\.\\") || text.starts_with("//./")) {
    device = true;
    text.remove_prefix(4);
  } else if (text.size() > 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    network = true;
    text.remove_prefix(2);
  }
  if ((literal || device) && text.size() >= 4 && SameText(text.substr(0, 3), "UNC") &&
      (literal ? text[3] == '\\' : IsSeparator(text[3]))) {
    network = true;
    text.remove_prefix(4);
  }

  WindowsPath path;
  std::string_view names;
  if (network) {
    path.drive = AdministrativeShare(text, literal, names);
  } else {
    path.drive = DriveOf(text, literal);
    // A drive path of its own needs its separator: "C:a" is relative to C:'s current folder.
    if (path.drive != 0 && text.size() < 3 && !literal) return invalid();
    names = path.drive != 0 ? text.substr(2) : std::string_view();
  }
  if (path.drive == 0) return invalid();
  if (!ParseNames(names, literal, path)) return invalid();
  return Result<WindowsPath>::Of(std::move(path));
}

bool SamePath(const WindowsPath& a, const WindowsPath& b) {
  if (a.drive != b.drive || a.components.size() != b.components.size()) return false;
  for (std::size_t i = 0; i < a.components.size(); ++i)
    if (!SameText(a.components[i], b.components[i])) return false;
  return true;
}

}  // namespace morvel::platform::emulated
