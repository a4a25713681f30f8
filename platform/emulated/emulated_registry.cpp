// The Registry operations of the emulated machine, on the key tree of RegistryImage.

#include <algorithm>

#include "common/text.h"
#include "platform/emulated/reg_image.h"
#include "platform/emulated/reg_syntax.h"

namespace morvel::platform::emulated {

namespace {

// Calls `visit` for each name of a "\"-separated path; empty names (doubled or trailing
// separators) are skipped. Stops early when `visit` returns false.
template <class Visit>
bool ForEachName(std::string_view path, Visit visit) {
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('\\', begin);
    if (end == std::string_view::npos) end = path.size();
    if (end > begin && !visit(path.substr(begin, end - begin))) return false;
    begin = end + 1;
  }
  return true;
}

bool IsEmptyPath(std::string_view path) {
  return path.find_first_not_of('\\') == std::string_view::npos;
}

}  // namespace

std::uint32_t RegistryImage::FindChild(std::uint32_t parent, std::string_view name) const {
  const std::vector<std::uint32_t>& children = keys_[parent].children;
  if (children.size() < kIndexedChildren) {
    for (std::uint32_t child : children)
      if (SameText(keys_[child].name, name)) return child;
    return kNone;
  }
  const auto it = indexed_children_.find(ChildRef{parent, name});
  return it == indexed_children_.end() ? kNone : it->second;
}

std::uint32_t RegistryImage::AddKey(std::uint32_t parent, std::string_view name) {
  const auto id = static_cast<std::uint32_t>(keys_.size());
  Key key;
  key.name = name;
  key.parent = parent;
  keys_.push_back(std::move(key));
  std::vector<std::uint32_t>& children = keys_[parent].children;
  children.push_back(id);
  if (children.size() == kIndexedChildren) {
    for (std::uint32_t child : children)
      indexed_children_.emplace(ChildRef{parent, keys_[child].name}, child);
  } else if (children.size() > kIndexedChildren) {
    indexed_children_.emplace(ChildRef{parent, name}, id);
  }
  return id;
}

std::uint32_t RegistryImage::FindKey(RootKey root, std::string_view path) const {
  auto id = static_cast<std::uint32_t>(root);
  if (id >= kRootCount) return kNone;
  ForEachName(path, [&](std::string_view name) {
    id = FindChild(id, name);
    return id != kNone;
  });
  return id;
}

std::uint32_t RegistryImage::FindValue(const Key& key, std::string_view name) const {
  const std::uint32_t hash = NameHash(name);
  for (std::uint32_t id : key.values)
    if (values_[id].name_hash == hash && SameText(values_[id].name, name)) return id;
  return kNone;
}

RegistryValue RegistryImage::Materialize(const Value& value) const {
  if (value.owned != kNone) return owned_[value.owned];
  return reg::DecodeValue(std::string(value.name),
                          text_.substr(value.data_begin, value.data_end - value.data_begin));
}

bool RegistryImage::Writable(RootKey root) const {
  return root != RootKey::LocalMachine || hklm_writable_;
}

bool RegistryImage::KeyExists(RootKey root, std::string_view path) const {
  return FindKey(root, path) != kNone;
}

Result<std::vector<std::string>> RegistryImage::SubKeyNames(RootKey root, std::string_view path,
                                                            Access access) const {
  const std::uint32_t id = FindKey(root, path);
  if (id == kNone) return Result<std::vector<std::string>>::Failed(ErrorKind::NotFound);
  if (access == Access::Full && !Writable(root))
    return Result<std::vector<std::string>>::Failed(ErrorKind::AccessDenied, 5);
  std::vector<std::string_view> names;
  names.reserve(keys_[id].children.size());
  for (std::uint32_t child : keys_[id].children) names.push_back(keys_[child].name);
  std::sort(names.begin(), names.end(),
            [](std::string_view a, std::string_view b) { return CompareUpper(a, b) < 0; });
  return Result<std::vector<std::string>>::Of({names.begin(), names.end()});
}

Result<std::vector<RegistryValue>> RegistryImage::Values(RootKey root,
                                                         std::string_view path) const {
  const std::uint32_t id = FindKey(root, path);
  if (id == kNone) return Result<std::vector<RegistryValue>>::Failed(ErrorKind::NotFound);
  std::vector<RegistryValue> values;
  values.reserve(keys_[id].values.size());
  for (std::uint32_t value : keys_[id].values) values.push_back(Materialize(values_[value]));
  return Result<std::vector<RegistryValue>>::Of(std::move(values));
}

Result<RegistryValue> RegistryImage::ReadValue(RootKey root, std::string_view path,
                                               std::string_view name) const {
  const std::uint32_t id = FindKey(root, path);
  if (id == kNone) return Result<RegistryValue>::Failed(ErrorKind::NotFound, 2);
  const std::uint32_t value = FindValue(keys_[id], name);
  if (value == kNone) return Result<RegistryValue>::Failed(ErrorKind::NotFound, 2);
  return Result<RegistryValue>::Of(Materialize(values_[value]));
}

Status RegistryImage::CreateKey(RootKey root, std::string_view path) {
  auto id = static_cast<std::uint32_t>(root);
  if (id >= kRootCount) return Status::Error(ErrorKind::InvalidArgument);
  // Refuse before creating anything, so that a denied call changes nothing.
  if (!Writable(root) && FindKey(root, path) == kNone)
    return Status::Error(ErrorKind::AccessDenied, 5);
  ForEachName(path, [&](std::string_view name) {
    std::uint32_t child = FindChild(id, name);
    if (child == kNone) {
      child = AddKey(id, StoreName(std::string(name)));
      changed_ = true;
    }
    id = child;
    return true;
  });
  return Status::Ok();
}

Status RegistryImage::WriteValue(RootKey root, std::string_view path, const RegistryValue& value) {
  if (!Writable(root)) return Status::Error(ErrorKind::AccessDenied, 5);
  if (const Status created = CreateKey(root, path); !created) return created;
  const std::uint32_t key_id = FindKey(root, path);
  Key& key = keys_[key_id];
  if (const std::uint32_t existing = FindValue(key, value.name); existing != kNone) {
    Value& record = values_[existing];
    RegistryValue replacement = value;
    replacement.name = std::string(record.name);  // the name keeps the case it was made with
    // Writing what is already there changes nothing, and leaves the file as it was.
    if (Materialize(record) == replacement) return Status::Ok();
    if (record.owned == kNone) {
      record.owned = static_cast<std::uint32_t>(owned_.size());
      owned_.push_back(std::move(replacement));
    } else {
      owned_[record.owned] = std::move(replacement);
    }
    changed_ = true;
    return Status::Ok();
  }
  Value record;
  record.name = StoreName(value.name);
  record.name_hash = NameHash(record.name);
  record.key = key_id;
  record.owned = static_cast<std::uint32_t>(owned_.size());
  owned_.push_back(value);
  owned_.back().name = std::string(record.name);
  key.values.push_back(static_cast<std::uint32_t>(values_.size()));
  values_.push_back(record);
  changed_ = true;
  return Status::Ok();
}

Status RegistryImage::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  const std::uint32_t key_id = FindKey(root, path);
  if (key_id == kNone) return Status::Error(ErrorKind::NotFound, 2);
  Key& key = keys_[key_id];
  const std::uint32_t value = FindValue(key, name);
  if (value == kNone) return Status::Error(ErrorKind::NotFound, 2);
  if (!Writable(root)) return Status::Error(ErrorKind::AccessDenied, 5);
  values_[value].live = false;
  key.values.erase(std::find(key.values.begin(), key.values.end(), value));
  changed_ = true;
  return Status::Ok();
}

Status RegistryImage::DeleteTree(RootKey root, std::string_view path) {
  if (IsEmptyPath(path)) return Status::Error(ErrorKind::InvalidArgument, 87);
  const std::uint32_t top = FindKey(root, path);
  if (top == kNone) return Status::Error(ErrorKind::NotFound, 2);
  if (!Writable(root)) return Status::Error(ErrorKind::AccessDenied, 5);
  Key& parent = keys_[keys_[top].parent];
  parent.children.erase(std::find(parent.children.begin(), parent.children.end(), top));
  std::vector<std::uint32_t> pending{top};
  while (!pending.empty()) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    Key& key = keys_[id];
    key.live = false;
    indexed_children_.erase(ChildRef{key.parent, key.name});
    for (std::uint32_t value : key.values) values_[value].live = false;
    pending.insert(pending.end(), key.children.begin(), key.children.end());
    key.children.clear();
    key.values.clear();
  }
  changed_ = true;
  return Status::Ok();
}

}  // namespace morvel::platform::emulated
