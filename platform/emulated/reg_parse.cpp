// Reading a .reg file into RegistryImage, and the factories of EmulatedRegistry.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/text.h"
#include "platform/emulated/machine.h"
#include "platform/emulated/reg_image.h"
#include "platform/emulated/reg_syntax.h"

namespace morvel::platform::emulated {

namespace {

[[noreturn]] void Fail(std::string_view display_name, std::size_t line, std::string_view what) {
  throw MachineImageError(std::string(display_name) + ":" + std::to_string(line) + ": " +
                          std::string(what));
}

// A name quoted in an error message: one line, not too long.
std::string Quoted(std::string_view name) {
  std::string out = "\"";
  for (char c : name.substr(0, 60)) out += (c == '\r' || c == '\n') ? ' ' : c;
  if (name.size() > 60) out += "...";
  return out + "\"";
}

// The byte UpperAscii gives, inline: hashing runs over every name of the file.
unsigned FoldCase(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') ? b - ('a' - 'A') : b;
}

}  // namespace

std::uint32_t RegistryImage::NameHash(std::string_view name) {
  // Length and three letters: cheap enough for half a million names, and enough to skip
  // nearly every comparison of names that differ.
  if (name.empty()) return 0;
  return static_cast<std::uint32_t>(name.size() & 0xFF) | (FoldCase(name.front()) << 8) |
         (FoldCase(name[name.size() / 2]) << 16) | (FoldCase(name.back()) << 24);
}

std::size_t RegistryImage::ChildHash::operator()(const ChildRef& ref) const {
  std::uint64_t h = 1469598103934665603ULL ^ ref.parent;
  for (char c : ref.name) h = (h ^ FoldCase(c)) * 1099511628211ULL;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

bool RegistryImage::ChildEqual::operator()(const ChildRef& a, const ChildRef& b) const {
  return a.parent == b.parent && SameText(a.name, b.name);
}

RegistryImage::RegistryImage(RegSource source, std::string_view display_name)
    : source_(std::move(source)) {
  const std::string_view all =
      source_.buffer_text.data ? source_.buffer_text.view() : std::string_view(source_.string_text);
  text_ = all.substr(source_.text_offset);
  Parse(display_name);
}

void RegistryImage::Parse(std::string_view display_name) {
  // Offsets are 32-bit to keep the half a million entries of a big export compact.
  if (text_.size() >= 0xFFFFFFF0u)
    throw MachineImageError(std::string(display_name) + ": file too large");
  keys_.resize(kRootCount);
  keys_.reserve(text_.size() / 1024);
  values_.reserve(text_.size() / 64);
  chunks_.reserve(text_.size() / 56);

  const reg::LineSpan first = reg::LineAt(text_, 0);
  if (reg::TrimBlanks(text_.substr(0, first.content_end)) != reg::kHeader)
    Fail(display_name, 1,
         "not a registry file: the first line must be \"" + std::string(reg::kHeader) + "\"");
  if (first.next > first.content_end + 1)
    eol_ = "\r\n";
  else if (first.next == first.content_end + 1)
    eol_ = "\n";
  chunks_.push_back({0, static_cast<std::uint32_t>(first.next), kNone, ChunkKind::Trivia});

  std::uint32_t current = kNone;
  std::vector<std::uint32_t> previous_path;  // the key ids of the last header, root first
  std::size_t line = 2;
  for (std::size_t pos = first.next; pos < text_.size(); ++line) {
    const reg::LineSpan span = reg::LineAt(text_, pos);
    std::size_t start = pos;
    while (start < span.content_end && reg::IsBlank(text_[start])) ++start;
    const char c = start < span.content_end ? text_[start] : ';';
    const auto chunk_index = static_cast<std::uint32_t>(chunks_.size());
    if (c == ';' || c == '#') {
      chunks_.push_back({static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(span.next),
                         current, ChunkKind::Trivia});
      pos = span.next;
    } else if (c == '[') {
      AddHeader(text_.substr(start, span.content_end - start), line, display_name, previous_path);
      current = previous_path.back();
      keys_[current].has_header = true;
      keys_[current].append_after = chunk_index;
      chunks_.push_back({static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(span.next),
                         current, ChunkKind::Header});
      pos = span.next;
    } else if (c == '"' || c == '@') {
      if (current == kNone) Fail(display_name, line, "value line outside a key");
      reg::ValueEntry entry;
      try {
        entry = reg::ScanValueEntry(text_, start);
      } catch (const reg::SyntaxError& e) {
        Fail(display_name, line + e.line, e.what());
      }
      Value value;
      if (!entry.is_default) {
        value.name = entry.escaped_name.find('\\') == std::string_view::npos
                         ? entry.escaped_name
                         : StoreName(reg::Unescape(entry.escaped_name));
        // A quoted empty name is the default value too, as regedit reads it.
      }
      value.name_hash = NameHash(value.name);
      value.key = current;
      value.data_begin = static_cast<std::uint32_t>(entry.data_begin);
      value.data_end = static_cast<std::uint32_t>(entry.data_end);
      value.chunk = chunk_index;
      const auto value_id = static_cast<std::uint32_t>(values_.size());
      values_.push_back(value);
      keys_[current].values.push_back(value_id);
      keys_[current].append_after = chunk_index;
      chunks_.push_back({static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(entry.next),
                         value_id, ChunkKind::Value});
      line += entry.lines - 1;
      pos = entry.next;
    } else {
      Fail(display_name, line,
           "unrecognised line " +
               Quoted(reg::TrimBlanks(text_.substr(start, span.content_end - start))));
    }
  }
  for (Key& key : keys_)
    if (key.values.size() > 1) ResolveDuplicateNames(key);
}

void RegistryImage::AddHeader(std::string_view line, std::size_t line_number,
                              std::string_view display_name,
                              std::vector<std::uint32_t>& previous_path) {
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) Fail(display_name, line_number, "missing ']' in key line");
  if (!reg::TrimBlanks(line.substr(close + 1)).empty())
    Fail(display_name, line_number, "unexpected text after the key name");
  const std::string_view path = line.substr(1, close - 1);
  if (path.starts_with('-'))
    Fail(display_name, line_number, "key deletion ([-...]) is not supported in a machine image");
  std::size_t slash = path.find('\\');
  const std::string_view root_name = path.substr(0, slash);
  const auto root = reg::ParseRootName(root_name);
  if (!root) Fail(display_name, line_number, "unknown root key " + Quoted(root_name));

  // Exports list a key right after its parent: reuse the ids of the previous header's
  // path as far as it matches, and look up only the rest.
  std::uint32_t id = static_cast<std::uint32_t>(*root);
  if (previous_path.empty() || previous_path[0] != id) previous_path.assign(1, id);
  bool following = true;
  std::size_t depth = 0;
  while (slash != std::string_view::npos) {
    const std::size_t begin = slash + 1;
    slash = path.find('\\', begin);
    const std::string_view name =
        path.substr(begin, slash == std::string_view::npos ? slash : slash - begin);
    if (name.empty()) Fail(display_name, line_number, "empty key name in " + Quoted(path));
    ++depth;
    if (following && depth < previous_path.size() &&
        SameText(keys_[previous_path[depth]].name, name)) {
      id = previous_path[depth];
      continue;
    }
    if (following) {
      previous_path.resize(depth);
      following = false;
    }
    std::uint32_t child = FindChild(id, name);
    if (child == kNone) child = AddKey(id, name);
    id = child;
    previous_path.push_back(id);
  }
  if (following) previous_path.resize(depth + 1);
}

void RegistryImage::ResolveDuplicateNames(Key& key) {
  // A name set twice in the file keeps the first one's place and the last one's data,
  // as importing the file would. Most keys hold a few values: a quick look first.
  if (key.values.size() <= 24) {
    bool repeated = false;
    for (std::size_t i = 1; i < key.values.size() && !repeated; ++i) {
      const Value& later = values_[key.values[i]];
      for (std::size_t j = 0; j < i && !repeated; ++j) {
        const Value& earlier = values_[key.values[j]];
        repeated = earlier.name_hash == later.name_hash && SameText(earlier.name, later.name);
      }
    }
    if (!repeated) return;
  }
  std::vector<std::uint32_t> order(key.values);
  std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    return CompareUpper(values_[a].name, values_[b].name) < 0;
  });
  bool any = false;
  for (std::size_t i = 0; i + 1 < order.size();) {
    std::size_t j = i + 1;
    while (j < order.size() && SameText(values_[order[i]].name, values_[order[j]].name)) ++j;
    if (j - i > 1) {
      any = true;
      const std::uint32_t winner = order[j - 1];
      for (std::size_t k = i; k + 1 < j; ++k) values_[order[k]].shadowed_by = winner;
      values_[order[i]].first_of_name = true;
      values_[winner].last_of_name = true;
      // The winner takes the first one's place.
      auto first = std::find(key.values.begin(), key.values.end(), order[i]);
      *first = winner;
    }
    i = j;
  }
  if (!any) return;
  std::vector<std::uint32_t> kept;
  kept.reserve(key.values.size());
  for (std::size_t slot = 0; slot < key.values.size(); ++slot) {
    const std::uint32_t id = key.values[slot];
    // Drop the later slots of winners that moved to an earlier place.
    if (values_[id].shadowed_by != kNone) continue;
    if (std::find(kept.begin(), kept.end(), id) != kept.end()) continue;
    kept.push_back(id);
  }
  key.values = std::move(kept);
}

std::string_view RegistryImage::StoreName(std::string name) {
  return names_.emplace_back(std::move(name));
}

std::unique_ptr<EmulatedRegistry> EmulatedRegistry::Empty() {
  std::string bytes = "\xFF\xFE";
  AppendUtf8AsUtf16Le(std::string(reg::kHeader) + "\r\n\r\n", bytes);
  return std::make_unique<RegistryImage>(SourceFromBytes(std::move(bytes)), "registry.reg");
}

std::unique_ptr<EmulatedRegistry> EmulatedRegistry::Parse(std::string bytes,
                                                          std::string_view display_name) {
  return std::make_unique<RegistryImage>(SourceFromBytes(std::move(bytes)), display_name);
}

std::unique_ptr<EmulatedRegistry> EmulatedRegistry::Load(const std::filesystem::path& file) {
  const std::string display = file.string();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !ec) return Empty();
  return std::make_unique<RegistryImage>(SourceFromFile(file, display), display);
}

}  // namespace morvel::platform::emulated
