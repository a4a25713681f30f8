#include "engine/catalogue.h"

#include <algorithm>
#include <iterator>

#include "common/text.h"
#include "engine/item_table.h"

namespace morvel {

namespace {

bool ContainsEitherWay(const std::string& a, const std::string& b) {
  return a.find(b) != std::string::npos || b.find(a) != std::string::npos;
}

}  // namespace

std::string ItemKey(std::string_view root_text, std::string_view leaf_text) {
  std::string key(root_text);
  key += " - ";
  key += leaf_text;
  return key;
}

Catalogue Catalogue::Fixed() {
  Catalogue c;
  int leaf_index = 100;
  for (const CategoryRow& category : ItemTable()) {
    CatalogueRoot root;
    root.text = category.text;
    root.image_index = category.slot;
    for (const ItemRow& item : category.items)
      root.children.push_back({std::string(item.text), leaf_index++, -1, {}});
    c.roots_.push_back(std::move(root));
  }
  return c;
}

void Catalogue::FillApplications(const std::vector<std::string>& section_names,
                                 const std::vector<std::string>& display_names) {
  CatalogueRoot* apps = nullptr;
  for (CatalogueRoot& root : roots_) {
    if (SameText(root.text, kApplicationsRoot)) {
      apps = &root;
      break;
    }
  }
  if (apps == nullptr) return;
  // Outer loop over installed programs, inner over sections: a section is listed once, at
  // its first match, whichever of the two names contains the other.
  for (const std::string& display : display_names) {
    if (display.empty()) continue;
    const std::string upper_display = UpperCase(display);
    for (const std::string& section : section_names) {
      if (!ContainsEitherWay(UpperCase(section), upper_display)) continue;
      bool present = false;
      for (const CatalogueLeaf& child : apps->children)
        if (SameText(child.text, section)) present = true;
      if (!present)
        apps->children.push_back({section,
                                  900 + static_cast<int>(apps->children.size()),
                                  apps->state_index == -1 ? -1 : kUnticked,
                                  {}});
    }
  }
}

std::optional<std::string> Catalogue::AddLeaf(std::string_view category, std::string_view text,
                                              std::string warning) {
  if (SameText(category, kCustomListsRoot)) return std::nullopt;
  auto root = std::find_if(roots_.begin(), roots_.end(), [category](const CatalogueRoot& r) {
    return SameText(r.text, category);
  });
  if (root == roots_.end()) {
    // A category of its own has no expansion slot: it starts collapsed.
    const bool design = roots_.empty() || roots_.front().state_index == -1;
    roots_.push_back({std::string(category), 0, design ? -1 : kUnticked, false, {}});
    root = std::prev(roots_.end());
  }
  for (const CatalogueLeaf& leaf : root->children)
    if (SameText(leaf.text, text)) return std::nullopt;
  root->children.push_back({std::string(text), 2000 + static_cast<int>(root->children.size()),
                            root->state_index == -1 ? -1 : kUnticked, std::move(warning)});
  return ItemKey(root->text, text);
}

void Catalogue::WalkNodes(NodeRef start, WalkAction action, std::string_view key,
                          std::vector<std::string>* collected) {
  if (start.root >= roots_.size()) return;
  auto visit_leaves = [&](CatalogueRoot& root, std::size_t first) {
    for (std::size_t l = first; l < root.children.size(); ++l) {
      CatalogueLeaf& leaf = root.children[l];
      const std::string leaf_key = ItemKey(root.text, leaf.text);
      if (action == WalkAction::Collect) {
        if (leaf.state_index == kTicked && collected != nullptr) collected->push_back(leaf_key);
      } else if (leaf_key == key) {
        leaf.state_index = kTicked;
        return;  // a match ends the scan of this level only
      }
    }
  };
  if (start.leaf) {
    // A walk that starts at a leaf covers that leaf's following siblings alone.
    visit_leaves(roots_[start.root], *start.leaf);
    return;
  }
  for (std::size_t r = start.root; r < roots_.size(); ++r) {
    CatalogueRoot& root = roots_[r];
    if (action == WalkAction::TickByKey && root.text == key) {
      root.state_index = kTicked;
      return;
    }
    visit_leaves(root, 0);
  }
}

std::vector<std::string> Catalogue::CollectTickedKeys() const {
  std::vector<std::string> keys;
  for (const CatalogueRoot& root : roots_)
    for (const CatalogueLeaf& leaf : root.children)
      if (leaf.state_index == kTicked) keys.push_back(ItemKey(root.text, leaf.text));
  return keys;
}

bool Catalogue::TickByKey(std::string_view key) {
  const auto node = FindByKey(key);
  if (!node) return false;
  WalkNodes(NodeRef{0, std::nullopt}, WalkAction::TickByKey, key);
  return true;
}

void Catalogue::SetAll(int state) {
  for (CatalogueRoot& root : roots_) {
    root.state_index = state;
    for (CatalogueLeaf& leaf : root.children) leaf.state_index = state;
  }
}

bool Catalogue::OnMouseDown(NodeRef node, HitArea area) {
  if (node.root >= roots_.size()) return false;
  CatalogueRoot& root = roots_[node.root];
  if (node.leaf && *node.leaf >= root.children.size()) return false;
  const std::string& text = node.leaf ? root.children[*node.leaf].text : root.text;

  if (area == HitArea::Label) return text == kNewListLeaf;
  if (area != HitArea::StateImage) return false;

  int& state = node.leaf ? root.children[*node.leaf].state_index : root.state_index;
  if (state == kUnticked)
    state = kTicked;
  else if (state == kTicked)
    state = kUnticked;

  if (!node.leaf) {
    for (CatalogueLeaf& leaf : root.children) leaf.state_index = root.state_index;
  } else {
    FollowLeaves(root);
  }
  return false;
}

void Catalogue::Untick(NodeRef leaf) {
  if (leaf.root >= roots_.size() || !leaf.leaf) return;
  CatalogueRoot& root = roots_[leaf.root];
  if (*leaf.leaf >= root.children.size()) return;
  root.children[*leaf.leaf].state_index = kUnticked;
  FollowLeaves(root);
}

void Catalogue::FollowLeaves(CatalogueRoot& root) {
  bool any = false;
  for (const CatalogueLeaf& leaf : root.children) any = any || leaf.state_index == kTicked;
  root.state_index = any ? kTicked : kUnticked;
}

void Catalogue::StoreRootExpansion(bool save, std::array<bool, kRootSlots>& slots) {
  for (CatalogueRoot& root : roots_) {
    const int slot = root.image_index - 1;
    if (slot < 0 || slot >= kRootSlots) continue;
    if (save)
      slots[slot] = root.expanded;
    else if (slots[slot])
      root.expanded = true;
  }
}

bool Catalogue::IsFirefoxTicked() const {
  for (const CatalogueRoot& root : roots_)
    if (root.text == kFirefoxRoot) return root.state_index == kTicked;
  return false;
}

std::vector<std::string> Catalogue::TickedNodeKeys() const {
  std::vector<std::string> keys;
  for (const CatalogueRoot& root : roots_) {
    if (root.state_index == kTicked) keys.push_back(root.text);
    for (const CatalogueLeaf& leaf : root.children)
      if (leaf.state_index == kTicked) keys.push_back(ItemKey(root.text, leaf.text));
  }
  return keys;
}

std::optional<NodeRef> Catalogue::FindByKey(std::string_view key) const {
  for (std::size_t r = 0; r < roots_.size(); ++r) {
    if (roots_[r].text == key) return NodeRef{r, std::nullopt};
    for (std::size_t l = 0; l < roots_[r].children.size(); ++l)
      if (ItemKey(roots_[r].text, roots_[r].children[l].text) == key) return NodeRef{r, l};
  }
  return std::nullopt;
}

int Catalogue::StateOf(NodeRef node) const {
  const CatalogueRoot& root = roots_.at(node.root);
  return node.leaf ? root.children.at(*node.leaf).state_index : root.state_index;
}

}  // namespace morvel
