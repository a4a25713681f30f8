#pragma once
// What a run did, item by item, as its report and its verified summary say it: what went
// (in a Test: what would go) and what is left, each left thing with why.
//
// A Clean is followed by the verify pass: the same items once more in Test mode, asking
// every entry whether it would stay. What went is what the Clean removed; what is left is
// what the Clean says stayed and what the verify pass still finds held, each thing once.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tally.h"

namespace morvel::app {

// The words the summary, the report and the event use for a reason.
std::string_view ReasonText(LeftReason reason);

struct ItemResult {
  std::string key;
  std::int32_t removed_items = 0;
  std::uint64_t removed_bytes = 0;
  std::vector<LeftEntry> left;
};

struct RunTotals {
  std::int64_t removed_items = 0;
  std::uint64_t removed_bytes = 0;
  std::size_t left_items = 0;
  // Left things by reason, in the order of LeftReason.
  std::size_t in_use = 0, access_denied = 0, refused = 0, at_restart = 0;
};

// A Test's result: what would go is what it counted, less what it says would stay.
ItemResult TestResult(std::string key, const Tally& test);

// A Clean's result with the verify pass after it: what went is what the Clean removed;
// what is left is what the Clean left, then what the verify pass finds that the Clean did
// not name (a file that Windows said was deleted while another program still held it), a
// thing named by both keeping the Clean's reason.
ItemResult VerifiedResult(std::string key, const Tally& clean, const Tally& verify);

// What the items left, each thing once however many items name it (a file another program
// holds that a second item then scheduled for removal at the next start): its first reason,
// or "at restart" when any item scheduled it, since it then goes without anyone's help.
std::vector<LeftEntry> LeftThings(const std::vector<ItemResult>& items);

// The run's totals; left things are counted as LeftThings gives them.
RunTotals TotalsOf(const std::vector<ItemResult>& items);

// How many left things the summary names one by one; the rest are counted.
inline constexpr std::size_t kSummaryLines = 100;

// The lines the log gets after a Clean's last line: "Verified: nothing left." or
// "Verified: N left (in use: a, access denied: b, refused: c, at restart: d)." and then
// one line per left thing ("<path> (<reason>)"), at most kSummaryLines of them, then
// "… and K more".
std::vector<std::string> VerifiedSummary(const std::vector<ItemResult>& items);

}  // namespace morvel::app
