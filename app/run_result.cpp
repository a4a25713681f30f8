#include "app/run_result.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "common/text.h"

namespace morvel::app {

namespace {

// Paths name Windows files and keys: one thing whatever the letter case. (A set of these
// rather than a search per entry: a Clean may leave tens of thousands of files.)
std::string Spelled(std::string_view path) { return UpperCase(path); }

}  // namespace

std::string_view ReasonText(LeftReason reason) {
  switch (reason) {
    case LeftReason::InUse:
      return "in use";
    case LeftReason::AccessDenied:
      return "access denied";
    case LeftReason::Refused:
      return "refused";
    case LeftReason::AtRestart:
      return "at restart";
  }
  return "refused";
}

ItemResult TestResult(std::string key, const Tally& test) {
  return {std::move(key), WrappingAdd(test.items, -test.LeftItems()),
          test.bytes - std::min(test.bytes, test.LeftBytes()), test.left};
}

ItemResult VerifiedResult(std::string key, const Tally& clean, const Tally& verify) {
  ItemResult result{std::move(key), clean.items, clean.bytes, clean.left};
  std::unordered_set<std::string> named;
  for (const LeftEntry& entry : clean.left) named.insert(Spelled(entry.path));
  for (const LeftEntry& found : verify.left)
    if (named.insert(Spelled(found.path)).second) result.left.push_back(found);
  return result;
}

std::vector<LeftEntry> LeftThings(const std::vector<ItemResult>& items) {
  std::vector<LeftEntry> things;
  std::unordered_map<std::string, std::size_t> at;  // where each thing stands in `things`
  for (const ItemResult& item : items) {
    for (const LeftEntry& entry : item.left) {
      const auto [known, added] = at.try_emplace(Spelled(entry.path), things.size());
      if (added)
        things.push_back(entry);
      else if (entry.reason == LeftReason::AtRestart)
        things[known->second].reason = LeftReason::AtRestart;
    }
  }
  return things;
}

RunTotals TotalsOf(const std::vector<ItemResult>& items) {
  RunTotals totals;
  for (const ItemResult& item : items) {
    totals.removed_items += item.removed_items;
    totals.removed_bytes += item.removed_bytes;
  }
  const std::vector<LeftEntry> things = LeftThings(items);
  totals.left_items = things.size();
  for (const LeftEntry& thing : things) {
    std::size_t* const by_reason[] = {&totals.in_use, &totals.access_denied, &totals.refused,
                                      &totals.at_restart};
    ++*by_reason[static_cast<std::size_t>(thing.reason)];
  }
  return totals;
}

std::vector<std::string> VerifiedSummary(const std::vector<ItemResult>& items) {
  const RunTotals totals = TotalsOf(items);
  if (totals.left_items == 0) return {"Verified: nothing left."};
  std::vector<std::string> lines{"Verified: " + std::to_string(totals.left_items) +
                                 " left (in use: " + std::to_string(totals.in_use) +
                                 ", access denied: " + std::to_string(totals.access_denied) +
                                 ", refused: " + std::to_string(totals.refused) +
                                 ", at restart: " + std::to_string(totals.at_restart) + ")."};
  for (const LeftEntry& thing : LeftThings(items)) {
    if (lines.size() > kSummaryLines) break;
    lines.push_back(thing.path + " (" + std::string(ReasonText(thing.reason)) + ")");
  }
  if (totals.left_items > kSummaryLines)
    lines.push_back("\xE2\x80\xA6 and " + std::to_string(totals.left_items - kSummaryLines) +
                    " more");
  return lines;
}

}  // namespace morvel::app
