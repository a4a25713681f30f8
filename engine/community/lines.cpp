#include "engine/community/lines.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "engine/community/variables.h"
#include "engine/community/wildcards.h"

namespace morvel::community {

namespace {

using platform::RootKey;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The parts of `text` between "|" signs, each trimmed.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t bar = text.find('|');
    fields.push_back(Trim(text.substr(0, bar)));
    if (bar == std::string_view::npos) return fields;
    text.remove_prefix(bar + 1);
  }
}

// At the first "|": the part before and, when there is one, the part after, both trimmed.
std::pair<std::string_view, std::optional<std::string_view>> SplitAtBar(std::string_view text) {
  const std::size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {Trim(text), std::nullopt};
  return {Trim(text.substr(0, bar)), Trim(text.substr(bar + 1))};
}

struct RootName {
  std::string_view short_name;
  std::string_view long_name;
  RootKey root;
};
constexpr std::array<RootName, 4> kRoots = {{
    {"HKCU", "HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKU", "HKEY_USERS", RootKey::Users},
    {"HKCR", "HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
}};

// Why `name` cannot stand in a path below a variable's folder; empty when it can.
std::string NameFault(std::string_view name) {
  std::string_view stem = name;
  while (!stem.empty() && (stem.back() == '.' || stem.back() == ' ')) stem.remove_suffix(1);
  // Windows drops trailing dots and blanks: "..", "..." and ". " all step out or stay put.
  if (stem.empty()) return "the name \"" + std::string(name) + "\" steps out of its folder";
  if (FindAny(name, "<>\":") != std::string_view::npos)
    return "the name \"" + std::string(name) + "\" holds a character no Windows name holds";
  // "%...%" inside a name may only be the user's name.
  for (std::size_t at = name.find('%'); at != std::string_view::npos;) {
    const std::size_t end = name.find('%', at + 1);
    if (end == std::string_view::npos) break;
    const std::string_view inner = name.substr(at + 1, end - at - 1);
    const auto variable = VariableNamed(inner);
    if (variable == Variable::UserName) {
      at = name.find('%', end + 1);
      continue;
    }
    if (variable) return "the folder variable %" + std::string(inner) + "% stands only first";
    if (!inner.empty() && FindAny(inner, " .") == std::string_view::npos)
      return "unknown variable %" + std::string(inner) + "%";
    at = end;  // a "%" of the name itself
  }
  return {};
}

bool IsFlag(std::string_view text) {
  return SameText(text, "RECURSE") || SameText(text, "REMOVESELF");
}

}  // namespace

Parsed<PathPattern> ParsePathPattern(std::string_view text, bool wildcards_in_last_only) {
  text = Trim(text);
  if (text.find('|') != std::string_view::npos)
    return Parsed<PathPattern>::Fail("\"|\" has no place in a path");
  if (!text.starts_with('%')) return Parsed<PathPattern>::Fail("a path starts with a variable");
  const std::size_t end = text.find('%', 1);
  if (end == std::string_view::npos)
    return Parsed<PathPattern>::Fail("the variable at the start has no closing \"%\"");
  const std::string_view variable_name = text.substr(1, end - 1);
  const auto variable = VariableNamed(variable_name);
  if (!variable)
    return Parsed<PathPattern>::Fail("unknown variable %" + std::string(variable_name) + "%");
  if (*variable == Variable::UserName)
    return Parsed<PathPattern>::Fail("%UserName% is a name, not a folder to start from");
  std::string_view rest = text.substr(end + 1);
  if (!rest.empty() && rest.front() != '\\' && rest.front() != '/')
    return Parsed<PathPattern>::Fail("the variable is not followed by \"\\\"");
  PathPattern path{*variable, {}};
  while (!rest.empty()) {
    const std::size_t cut = FindAny(rest, "\\/");
    const std::string_view name = rest.substr(0, cut);
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    if (name.empty()) continue;
    if (std::string why = NameFault(name); !why.empty()) return Parsed<PathPattern>::Fail(why);
    path.names.emplace_back(name);
  }
  if (wildcards_in_last_only)
    for (std::size_t i = 0; i + 1 < path.names.size(); ++i)
      if (HasWildcard(path.names[i]))
        return Parsed<PathPattern>::Fail("a wildcard stands only in the last name");
  return {std::move(path), {}};
}

Parsed<KeyName> ParseKeyName(std::string_view text) {
  text = Trim(text);
  const std::size_t cut = text.find('\\');
  const std::string_view root_name = text.substr(0, cut);
  std::string_view path = cut == std::string_view::npos ? std::string_view() : text.substr(cut);
  std::optional<RootKey> root;
  for (const RootName& row : kRoots)
    if (SameText(root_name, row.short_name) || SameText(root_name, row.long_name)) root = row.root;
  if (!root)
    return Parsed<KeyName>::Fail("unknown registry root \"" + std::string(root_name) + "\"");
  while (path.starts_with('\\')) path.remove_prefix(1);
  while (path.ends_with('\\')) path.remove_suffix(1);
  if (path.empty()) return Parsed<KeyName>::Fail("names a registry root");
  if (path.find("\\\\") != std::string_view::npos)
    return Parsed<KeyName>::Fail("a key of an empty name");
  return {KeyName{*root, std::string(path)}, {}};
}

Parsed<std::vector<std::string>> ParseMasks(std::string_view text) {
  std::vector<std::string> masks;
  bool every_file = false;
  for (;;) {
    const std::size_t cut = text.find(';');
    const std::string_view mask = Trim(text.substr(0, cut));
    if (FindAny(mask, "\\/:") != std::string_view::npos)
      return Parsed<std::vector<std::string>>::Fail("the mask \"" + std::string(mask) +
                                                    "\" names more than files of the folder");
    if (mask == "*" || mask == "*.*") every_file = true;
    if (!mask.empty()) masks.emplace_back(mask);
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + 1);
  }
  if (masks.empty()) return Parsed<std::vector<std::string>>::Fail("no file mask");
  if (every_file) masks.clear();
  return {std::move(masks), {}};
}

Parsed<FileKey> ParseFileKey(std::string_view value) {
  const std::vector<std::string_view> fields = Fields(value);
  if (fields.size() < 2) return Parsed<FileKey>::Fail("no \"|\" and file masks after the folder");
  if (fields.size() > 3) return Parsed<FileKey>::Fail("more than a folder, masks and one flag");
  if (fields.size() == 2 && IsFlag(fields[1]))
    return Parsed<FileKey>::Fail("no file mask before " + std::string(fields[1]));
  FileKey key;
  if (fields.size() == 3) {
    if (SameText(fields[2], "RECURSE"))
      key.reach = Reach::Recurse;
    else if (SameText(fields[2], "REMOVESELF"))
      key.reach = Reach::RemoveSelf;
    else
      return Parsed<FileKey>::Fail("unknown flag \"" + std::string(fields[2]) + "\"");
  }
  auto folder = ParsePathPattern(fields[0]);
  if (!folder.value) return Parsed<FileKey>::Fail(folder.why);
  auto masks = ParseMasks(fields[1]);
  if (!masks.value) return Parsed<FileKey>::Fail(masks.why);
  key.folder = std::move(*folder.value);
  key.masks = std::move(*masks.value);
  return {std::move(key), {}};
}

Parsed<RegKey> ParseRegKey(std::string_view value) {
  const auto [key_text, value_name] = SplitAtBar(value);
  auto key = ParseKeyName(key_text);
  if (!key.value) return Parsed<RegKey>::Fail(key.why);
  if (value_name && value_name->empty()) return Parsed<RegKey>::Fail("no value name after \"|\"");
  // Below HKEY_USERS the first key is a user's hive, a root of its own.
  const std::size_t names = 1 + static_cast<std::size_t>(std::count(key.value->path.begin(),
                                                                    key.value->path.end(), '\\'));
  const std::size_t hive = key.value->root == RootKey::Users ? 1 : 0;
  if (names < 2 + hive)
    return Parsed<RegKey>::Fail("names a registry root or a key right below one");
  RegKey reg{std::move(*key.value), std::nullopt};
  if (value_name) reg.value = std::string(*value_name);
  return {std::move(reg), {}};
}

Parsed<Exclusion> ParseExclusion(std::string_view value) {
  const auto [kind, rest] = SplitAtBar(value);
  if (!rest) return Parsed<Exclusion>::Fail("no \"|\" after the kind of exclusion");
  Exclusion exclusion;
  if (SameText(kind, "REG")) {
    const auto [key_text, value_name] = SplitAtBar(*rest);
    auto key = ParseKeyName(key_text);
    if (!key.value) return Parsed<Exclusion>::Fail(key.why);
    if (value_name && value_name->empty())
      return Parsed<Exclusion>::Fail("no value name after \"|\"");
    exclusion.kind = ExclusionKind::Registry;
    exclusion.key = std::move(*key.value);
    if (value_name) exclusion.value = std::string(*value_name);
    return {std::move(exclusion), {}};
  }
  if (SameText(kind, "FILE"))
    exclusion.kind = ExclusionKind::File;
  else if (SameText(kind, "PATH"))
    exclusion.kind = ExclusionKind::Path;
  else
    return Parsed<Exclusion>::Fail("unknown kind of exclusion \"" + std::string(kind) + "\"");
  const auto [folder_text, masks_text] = SplitAtBar(*rest);
  auto folder = ParsePathPattern(folder_text);
  if (!folder.value) return Parsed<Exclusion>::Fail(folder.why);
  exclusion.folder = std::move(*folder.value);
  if (exclusion.kind == ExclusionKind::File && !masks_text)
    return Parsed<Exclusion>::Fail("no file names after the folder");
  if (masks_text) {
    auto masks = ParseMasks(*masks_text);
    if (!masks.value) return Parsed<Exclusion>::Fail(masks.why);
    exclusion.masks = std::move(*masks.value);
  }
  return {std::move(exclusion), {}};
}

}  // namespace morvel::community
