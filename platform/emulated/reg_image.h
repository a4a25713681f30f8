#pragma once
// The registry behind EmulatedRegistry: the .reg file kept as read, plus a key tree whose
// names and values point into it. Every line of the file is a chunk that remembers what
// it stands for (a key header, a value entry, or a blank or comment line inside a key's
// block), so that writing back re-emits the untouched lines byte for byte and formats
// only what was written since. Value data is decoded when read, not when loaded.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/emulated/emulated_registry.h"
#include "platform/emulated/reg_source.h"

namespace morvel::platform::emulated {

class RegistryImage final : public EmulatedRegistry {
 public:
  RegistryImage(RegSource source, std::string_view display_name);
  // Names and text are views into the object's own buffers.
  RegistryImage(const RegistryImage&) = delete;
  RegistryImage& operator=(const RegistryImage&) = delete;

  bool KeyExists(RootKey root, std::string_view path) const override;
  Result<std::vector<std::string>> SubKeyNames(RootKey root, std::string_view path,
                                               Access access) const override;
  Result<std::vector<RegistryValue>> Values(RootKey root, std::string_view path) const override;
  Result<RegistryValue> ReadValue(RootKey root, std::string_view path,
                                  std::string_view name) const override;
  Status CreateKey(RootKey root, std::string_view path) override;
  Status WriteValue(RootKey root, std::string_view path, const RegistryValue& value) override;
  Status DeleteValue(RootKey root, std::string_view path, std::string_view name) override;
  Status DeleteTree(RootKey root, std::string_view path) override;

  std::string Serialize() const override;
  bool changed() const override { return changed_; }
  void SetLocalMachineWritable(bool writable) override { hklm_writable_ = writable; }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  static constexpr std::uint32_t kRootCount = 5;  // keys 0..4 are the roots, in RootKey order

  struct Key {
    std::string_view name;  // as created; empty for a root
    std::uint32_t parent = kNone;
    bool live = true;
    bool has_header = false;              // named by a "[...]" line of the file
    std::uint32_t append_after = kNone;   // chunk after which added values are written
    std::vector<std::uint32_t> children;  // in creation order; sorted when listed
    std::vector<std::uint32_t> values;    // in Windows' order
  };

  struct Value {
    std::string_view name;
    std::uint32_t key = kNone;
    std::uint32_t data_begin = 0, data_end = 0;  // the data's text, for values from the file
    std::uint32_t chunk = kNone;                 // its lines in the file; none when added
    std::uint32_t owned = kNone;                 // index in owned_ once written
    std::uint32_t shadowed_by = kNone;           // a later line of the file set the same name
    std::uint32_t name_hash = 0;                 // NameHash(name): most names differ in it
    bool live = true;
    // For a name the file sets more than once: its first line, where a rewrite goes since
    // that is where the value is listed, and its last line, whose data it has.
    bool first_of_name = false;
    bool last_of_name = false;
  };

  enum class ChunkKind : std::uint8_t { Trivia, Header, Value };
  struct Chunk {
    std::uint32_t begin, end;  // text offsets, line ends included
    std::uint32_t id;          // the key (Trivia, Header; kNone before the first key) or value
    ChunkKind kind;
  };

  struct ChildRef {
    std::uint32_t parent;
    std::string_view name;
  };
  struct ChildHash {
    std::size_t operator()(const ChildRef& ref) const;
  };
  struct ChildEqual {
    bool operator()(const ChildRef& a, const ChildRef& b) const;
  };

  void Parse(std::string_view display_name);
  void AddHeader(std::string_view line, std::size_t line_number, std::string_view display_name,
                 std::vector<std::uint32_t>& previous_path);
  void ResolveDuplicateNames(Key& key);

  std::uint32_t FindKey(RootKey root, std::string_view path) const;
  std::uint32_t FindChild(std::uint32_t parent, std::string_view name) const;
  std::uint32_t AddKey(std::uint32_t parent, std::string_view name);
  std::uint32_t FindValue(const Key& key, std::string_view name) const;
  static std::uint32_t NameHash(std::string_view name);
  RegistryValue Materialize(const Value& value) const;
  bool Writable(RootKey root) const;
  std::string_view StoreName(std::string name);

  void EmitValue(const Value& value, std::string& out) const;
  void EmitAddedValues(const Key& key, std::string& out) const;
  void EmitNewBlocks(std::string& out) const;
  std::string KeyPath(std::uint32_t key) const;
  // The text in the file's encoding, byte-order mark first.
  std::string Encode(std::string_view text) const;

  RegSource source_;
  std::string_view text_;          // the UTF-8 text parsed (after any byte-order mark)
  std::string_view eol_ = "\r\n";  // for lines written anew: the first line's ending

  std::vector<Key> keys_;
  std::vector<Value> values_;
  std::vector<Chunk> chunks_;
  std::vector<RegistryValue> owned_;
  std::deque<std::string> names_;  // names not found verbatim in the text; never moved
  // Keys with many sub-keys also find them by name here; a few are quicker to scan.
  static constexpr std::size_t kIndexedChildren = 16;
  std::unordered_map<ChildRef, std::uint32_t, ChildHash, ChildEqual> indexed_children_;

  bool changed_ = false;
  bool hklm_writable_ = true;
};

}  // namespace morvel::platform::emulated
