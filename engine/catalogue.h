#pragma once
// The catalogue of clean items: a two-level tree of categories (roots) and clean items
// (leaves) that the main window shows and the user ticks. This is the model; a tree view
// draws it and forwards clicks to `OnMouseDown`.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options_setting.h"

namespace morvel {

inline constexpr int kUnticked = 1;
inline constexpr int kTicked = 2;

inline constexpr std::string_view kApplicationsRoot = "Applications";
inline constexpr std::string_view kCustomListsRoot = "Custom Lists";
inline constexpr std::string_view kNewListLeaf = "<New List>";
inline constexpr std::string_view kFirefoxRoot = "Mozilla Firefox";

struct CatalogueLeaf {
  std::string text;
  int image_index = 0;   // no meaning beyond identity
  int state_index = -1;  // design value; 1 or 2 once settings are loaded
  // Asked as a Yes/No question before the leaf is ticked; empty for none (a community
  // definition's warning).
  std::string warning;
};

struct CatalogueRoot {
  std::string text;
  int image_index = 0;  // the category's slot, 1 to 11
  int state_index = -1;
  bool expanded = false;
  std::vector<CatalogueLeaf> children;
};

// Where a node sits: the root's index and, for a leaf, its index under the root.
struct NodeRef {
  std::size_t root = 0;
  std::optional<std::size_t> leaf;
  bool operator==(const NodeRef&) const = default;
};

// What the mouse hit on a node.
enum class HitArea { Label, StateImage, Elsewhere };

// The item key of a leaf: root text, " - ", leaf text.
std::string ItemKey(std::string_view root_text, std::string_view leaf_text);

class Catalogue {
 public:
  // The fixed tree of the item table: every node at state -1, nothing expanded.
  static Catalogue Fixed();

  [[nodiscard]] const std::vector<CatalogueRoot>& roots() const { return roots_; }
  [[nodiscard]] std::vector<CatalogueRoot>& roots() { return roots_; }

  // The children of Applications from the definition file's section names and the
  // display names of installed programs (see the .cpp for the matching rule).
  void FillApplications(const std::vector<std::string>& section_names,
                        const std::vector<std::string>& display_names);

  // Adds the leaf `text` to the category `category` (matched without regard to letter
  // case), after the leaves it has, or to a new category after every other. Returns the
  // leaf's item key; nullopt when the category already has a leaf of that text (letter
  // case aside), which keeps its place, or when the category is the custom list's.
  std::optional<std::string> AddLeaf(std::string_view category, std::string_view text,
                                     std::string warning = {});

  // One depth-first walk over `start`, its following siblings and all their descendants
  // (a node, then its children, then its next sibling). Collect appends the key of every
  // ticked node of level 1 or deeper to `collected`; TickByKey ticks the node whose key
  // equals `key` and ends the scan of that node's level.
  enum class WalkAction { Collect = -1, TickByKey = 100 };
  void WalkNodes(NodeRef start, WalkAction action, std::string_view key,
                 std::vector<std::string>* collected = nullptr);

  // The item keys of all ticked leaves in tree order (the walk's collect action).
  [[nodiscard]] std::vector<std::string> CollectTickedKeys() const;
  // Ticks the one node whose key equals `key` (root: bare text; leaf: item key); a key
  // that names no node changes nothing. Returns whether a node was ticked.
  bool TickByKey(std::string_view key);

  // Every node to `state`.
  void SetAll(int state);

  // Unticks the leaf, and its root too when no other leaf of it stays ticked.
  void Untick(NodeRef leaf);

  // The tree's mouse-down rule. Returns true when the click asks to open the custom
  // lists editor (a click on the label of "<New List>").
  bool OnMouseDown(NodeRef node, HitArea area);

  // save: expanded flags into slots[image index - 1]; load: expand the roots whose slot
  // holds true. Roots with a slot outside 1..11 are left alone.
  void StoreRootExpansion(bool save, std::array<bool, kRootSlots>& slots);

  [[nodiscard]] bool IsFirefoxTicked() const;

  // Keys of every ticked node in depth-first order (roots by bare text), as the settings
  // store persists them.
  [[nodiscard]] std::vector<std::string> TickedNodeKeys() const;

  [[nodiscard]] std::optional<NodeRef> FindByKey(std::string_view key) const;
  [[nodiscard]] int StateOf(NodeRef node) const;

 private:
  // A root shows ticked while any of its leaves is.
  static void FollowLeaves(CatalogueRoot& root);

  std::vector<CatalogueRoot> roots_;
};

}  // namespace morvel
