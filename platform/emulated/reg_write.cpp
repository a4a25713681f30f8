// Writing RegistryImage back as .reg text: untouched lines as they were read, the rest
// formatted as regedit does.

#include <algorithm>

#include "common/text.h"
#include "platform/emulated/reg_image.h"
#include "platform/emulated/reg_syntax.h"

namespace morvel::platform::emulated {

namespace {

bool EndsWithBlankLine(std::string_view text) {
  return text.ends_with("\n\n") || text.ends_with("\n\r\n");
}

}  // namespace

std::string RegistryImage::KeyPath(std::uint32_t key) const {
  std::vector<std::string_view> names;
  for (; key >= kRootCount; key = keys_[key].parent) names.push_back(keys_[key].name);
  std::string path(reg::RootName(static_cast<RootKey>(key)));
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    path += '\\';
    path += *it;
  }
  return path;
}

void RegistryImage::EmitValue(const Value& value, std::string& out) const {
  const Chunk& chunk = chunks_[value.chunk];
  const std::string_view raw = text_.substr(chunk.begin, chunk.end - chunk.begin);
  if (value.shadowed_by != kNone) {
    // An earlier line for a name the file sets again: it stays while the winner does, and
    // the first one takes the winner's new data, keeping the value's place in the key.
    const Value& winner = values_[value.shadowed_by];
    if (!winner.live || !keys_[winner.key].live) return;
    if (winner.owned == kNone)
      out += raw;
    else if (value.first_of_name)
      out += reg::FormatValue(owned_[winner.owned], eol_);
    return;
  }
  if (!value.live || !keys_[value.key].live) return;
  if (value.owned == kNone) {
    out += raw;
  } else if (!value.last_of_name) {
    out += reg::FormatValue(owned_[value.owned], eol_);
  }
}

void RegistryImage::EmitAddedValues(const Key& key, std::string& out) const {
  bool first = true;
  for (std::uint32_t id : key.values) {
    const Value& value = values_[id];
    if (value.chunk != kNone) continue;
    // The file's last line may lack its line end.
    if (first && !out.empty() && out.back() != '\n') out += eol_;
    first = false;
    out += reg::FormatValue(owned_[value.owned], eol_);
  }
}

void RegistryImage::EmitNewBlocks(std::string& out) const {
  // Keys the file has no block for, in the order regedit exports them: a key before its
  // sub-keys, sub-keys sorted. A key needs a block when it has values, or when nothing
  // below it would make it exist on reading.
  bool first = true;
  std::vector<std::uint32_t> pending;
  for (std::uint32_t root = kRootCount; root-- > 0;) pending.push_back(root);
  while (!pending.empty()) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    const Key& key = keys_[id];
    const bool needs_block =
        !key.has_header && (!key.values.empty() || (key.children.empty() && id >= kRootCount));
    if (needs_block) {
      if (first) {
        if (!out.empty() && out.back() != '\n') out += eol_;
        if (!EndsWithBlankLine(out)) out += eol_;
        first = false;
      }
      out += '[';
      out += KeyPath(id);
      out += ']';
      out += eol_;
      EmitAddedValues(key, out);
      out += eol_;
    }
    std::vector<std::uint32_t> children = key.children;
    std::sort(children.begin(), children.end(), [this](std::uint32_t a, std::uint32_t b) {
      return CompareUpper(keys_[a].name, keys_[b].name) > 0;  // reversed: popped from the back
    });
    pending.insert(pending.end(), children.begin(), children.end());
  }
}

std::string RegistryImage::Serialize() const {
  if (!changed_) return Encode(text_);

  // Values added to a key that has a block in the file go after its last line there.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> appends;  // (chunk, key)
  for (std::uint32_t id = 0; id < keys_.size(); ++id) {
    const Key& key = keys_[id];
    if (!key.live || key.append_after == kNone) continue;
    if (std::any_of(key.values.begin(), key.values.end(),
                    [this](std::uint32_t v) { return values_[v].chunk == kNone; }))
      appends.emplace_back(key.append_after, id);
  }
  std::sort(appends.begin(), appends.end());

  std::string text;
  text.reserve(text_.size() + text_.size() / 8 + 256);
  auto next_append = appends.begin();
  for (std::uint32_t index = 0; index < chunks_.size(); ++index) {
    const Chunk& chunk = chunks_[index];
    const std::string_view raw = text_.substr(chunk.begin, chunk.end - chunk.begin);
    switch (chunk.kind) {
      case ChunkKind::Trivia:
      case ChunkKind::Header:
        if (chunk.id == kNone || keys_[chunk.id].live) text += raw;
        break;
      case ChunkKind::Value:
        EmitValue(values_[chunk.id], text);
        break;
    }
    for (; next_append != appends.end() && next_append->first == index; ++next_append)
      EmitAddedValues(keys_[next_append->second], text);
  }
  EmitNewBlocks(text);

  return Encode(text);
}

std::string RegistryImage::Encode(std::string_view text) const {
  std::string out(source_.bom);
  if (source_.utf16) {
    out.reserve(out.size() + 2 * text.size() + source_.tail.size());
    AppendUtf8AsUtf16Le(text, out);
    out += source_.tail;
  } else {
    out += text;
  }
  return out;
}

}  // namespace morvel::platform::emulated
