#pragma once
// What every cleaning action returns: the entries it counted, their bytes, and what it left
// behind and why. An item's totals are the sum of its actions' tallies; the run's are the
// sum of its items'.
//
// The same action runs in Test and in Clean (executor.h), and the two tallies mean:
//   Test   `items` and `bytes` are every entry the action meets, as the Test log has always
//          counted them; `left` is what would stay, as far as a Test can tell without
//          changing anything: entries the guard or the administrator test refuses, files to
//          be removed at the next start, and, when the run probes (RunContext::
//          ProbesWhatStays), each file another program holds (InUse) or that may not be
//          deleted (AccessDenied), and each key or value that may not be changed.
//   Clean  `items` and `bytes` are what was removed (a removal Windows refused is not
//          counted); `left` is what stayed, with its reason.
// So a probing Test and the Clean after it agree when
//   Test.left == Clean.left,
//   Test.items - Test.LeftItems() == Clean.items,  Test.bytes - Test.LeftBytes() == Clean.bytes,
// except where the user answers a question No: a Test asks nothing, so a folder the user
// then keeps is left in the Clean alone.

#include <cstdint>
#include <string>
#include <vector>

namespace morvel {

enum class LeftReason {
  InUse,         // another program holds it (a sharing violation)
  AccessDenied,  // rights, or anything else Windows refused
  Refused,       // the guard, the administrator test, or a question answered No
  AtRestart,     // scheduled for removal at the next start; counted, not yet gone
};

struct LeftEntry {
  LeftEntry(std::string where, LeftReason why, std::int32_t entries = 0, std::uint64_t size = 0)
      : path(std::move(where)), reason(why), items(entries), bytes(size) {}

  std::string path;  // as the log names it: a file, a folder, a key or a key's value
  LeftReason reason = LeftReason::Refused;
  // Of the entries the action counts in a Test: how many this one stands for (1 for a file,
  // the values of a key), and their bytes. 0 for what a Test does not count either (a
  // refused folder, a file at restart, which both runs count as removed).
  std::int32_t items = 0;
  std::uint64_t bytes = 0;

  bool operator==(const LeftEntry&) const = default;
};

struct Tally {
  // A 32-bit count that wraps, as the item and run counters always have.
  std::int32_t items = 0;
  std::uint64_t bytes = 0;
  std::vector<LeftEntry> left;

  void Add(const Tally& other);
  // One more counted entry of `size` bytes.
  void Count(std::uint64_t size = 0) {
    AddItems(1);
    bytes += size;
  }
  void AddItems(std::int32_t count);
  void Leave(LeftEntry entry) { left.push_back(std::move(entry)); }

  [[nodiscard]] std::int32_t LeftItems() const;
  [[nodiscard]] std::uint64_t LeftBytes() const;

  bool operator==(const Tally&) const = default;
};

// `a` + `b` as 32-bit counters add: wrapping, without the undefined signed overflow.
std::int32_t WrappingAdd(std::int32_t a, std::int32_t b);

}  // namespace morvel
