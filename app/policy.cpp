#include "app/policy.h"

#include <algorithm>

namespace morvel::app {

namespace {

using platform::RootKey;

// The machine's policies first: they hold over the user's.
constexpr RootKey kPolicyRoots[] = {RootKey::LocalMachine, RootKey::CurrentUser};

std::optional<std::uint32_t> ReadNumber(const platform::Registry& registry, std::string_view name) {
  for (RootKey root : kPolicyRoots) {
    const auto value = registry.ReadValue(root, kPolicyKey, name);
    if (!value) continue;
    if (const auto number = value.value.AsNumber()) return static_cast<std::uint32_t>(*number);
  }
  return std::nullopt;
}

std::vector<std::string> ReadKeys(const platform::Registry& registry, std::string_view list) {
  const std::string path = std::string(kPolicyKey) + "\\" + std::string(list);
  for (RootKey root : kPolicyRoots) {
    const auto values = registry.Values(root, path);
    if (!values) continue;
    std::vector<std::string> keys;
    for (const platform::RegistryValue& value : values.value)
      if (auto text = value.AsText(); text && !text->empty()) keys.push_back(std::move(*text));
    if (!keys.empty()) return keys;
  }
  return {};
}

std::optional<std::string> ReadText(const platform::Registry& registry, std::string_view name) {
  for (RootKey root : kPolicyRoots) {
    const auto value = registry.ReadValue(root, kPolicyKey, name);
    if (!value) continue;
    if (auto text = value.value.AsText()) return text;
  }
  return std::nullopt;
}

bool Contains(const std::vector<std::string>& keys, std::string_view key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// Every leaf the policy holds to `state` (`ticked` when `tick` says so), then every root
// with such a leaf ticked when any of its leaves is.
template <class TickOf>
void SetHeldLeaves(const Policy& policy, Catalogue& catalogue, TickOf tick) {
  for (CatalogueRoot& root : catalogue.roots()) {
    bool held = false;
    for (CatalogueLeaf& leaf : root.children) {
      const std::string key = ItemKey(root.text, leaf.text);
      if (!policy.HoldsItem(key)) continue;
      held = true;
      leaf.state_index = tick(key) ? kTicked : kUnticked;
    }
    if (!held) continue;
    root.state_index = std::any_of(root.children.begin(), root.children.end(),
                                   [](const CatalogueLeaf& l) { return l.state_index == kTicked; })
                           ? kTicked
                           : kUnticked;
  }
}

std::string OnOff(std::uint32_t value) { return value != 0 ? "on" : "off"; }

}  // namespace

bool Policy::HoldsItem(std::string_view key) const {
  return Contains(ticked, key) || Contains(blocked, key);
}

bool Policy::Blocks(std::string_view key) const { return Contains(blocked, key); }

bool Policy::HoldsAny() const {
  return std::any_of(settings.begin(), settings.end(), [](const auto& s) { return s.has_value(); });
}

OptionsHeld HeldControls(const Policy& policy) {
  OptionsHeld held;
  held.fast_scan = policy.Holds(PolicySetting::FastScan);
  held.wipe_file = policy.Holds(PolicySetting::OverwriteFile);
  held.wipe_number = policy.Holds(PolicySetting::OverwriteNumber);
  held.auto_wash = policy.Holds(PolicySetting::AutoWash);
  held.wash_interval = policy.Holds(PolicySetting::WashInterval);
  held.start_wash = policy.Holds(PolicySetting::StartWash);
  held.shutdown_wash = policy.Holds(PolicySetting::ShutdownWash);
  return held;
}

Policy ReadPolicy(const platform::Registry& registry) {
  Policy policy;
  for (std::size_t i = 0; i < kPolicySettingCount; ++i)
    policy.settings[i] = ReadNumber(registry, kPolicySettingNames[i]);
  auto& interval = policy.settings[static_cast<std::size_t>(PolicySetting::WashInterval)];
  if (interval && *interval >= kWashIntervals.size()) interval = 0;
  auto& passes = policy.settings[static_cast<std::size_t>(PolicySetting::OverwriteNumber)];
  if (passes && (*passes < 1 || *passes > 10)) passes = 1;
  policy.ticked = ReadKeys(registry, kTickedItemsKey);
  policy.blocked = ReadKeys(registry, kBlockedItemsKey);
  policy.report_path = ReadText(registry, kReportPathValue);
  return policy;
}

void ApplyPolicy(const Policy& policy, TOptionsSetting& o, Catalogue& catalogue) {
  const auto value = [&](PolicySetting s) { return policy.settings[static_cast<std::size_t>(s)]; };
  if (const auto v = value(PolicySetting::AutoWash)) o.AutoWash = *v != 0;
  if (const auto v = value(PolicySetting::WashInterval))
    o.WashInterval = static_cast<std::int32_t>(*v);
  if (const auto v = value(PolicySetting::StartWash)) o.StartWash = *v != 0;
  if (const auto v = value(PolicySetting::ShutdownWash)) o.ShutdownWash = *v != 0;
  if (const auto v = value(PolicySetting::FastScan)) o.FastScan = *v != 0;
  if (const auto v = value(PolicySetting::OverwriteFile)) o.OverwriteFile = *v != 0;
  if (const auto v = value(PolicySetting::OverwriteNumber))
    o.OverwriteNumber = static_cast<std::int32_t>(*v);
  SetHeldLeaves(policy, catalogue, [&](const std::string& key) { return !policy.Blocks(key); });
}

void RestoreStoredValues(const Policy& policy, const TOptionsSetting& stored, TOptionsSetting& o) {
  if (policy.Holds(PolicySetting::AutoWash)) o.AutoWash = stored.AutoWash;
  if (policy.Holds(PolicySetting::WashInterval)) o.WashInterval = stored.WashInterval;
  if (policy.Holds(PolicySetting::StartWash)) o.StartWash = stored.StartWash;
  if (policy.Holds(PolicySetting::ShutdownWash)) o.ShutdownWash = stored.ShutdownWash;
  if (policy.Holds(PolicySetting::FastScan)) o.FastScan = stored.FastScan;
  if (policy.Holds(PolicySetting::OverwriteFile)) o.OverwriteFile = stored.OverwriteFile;
  if (policy.Holds(PolicySetting::OverwriteNumber)) o.OverwriteNumber = stored.OverwriteNumber;
}

void RestoreStoredTicks(const Policy& policy, const std::vector<std::string>& stored_ticks,
                        Catalogue& catalogue) {
  SetHeldLeaves(policy, catalogue,
                [&](const std::string& key) { return Contains(stored_ticks, key); });
}

std::vector<std::string> PolicyLines(const Policy& policy, const TOptionsSetting& o) {
  const std::string tail = " (" + std::string(kSetByPolicy) + ")";
  std::vector<std::string> lines;
  const auto add = [&](PolicySetting s, std::string_view name, const std::string& value) {
    if (policy.Holds(s)) lines.push_back(std::string(name) + ": " + value + tail);
  };
  add(PolicySetting::AutoWash, "Automatic clean", OnOff(o.AutoWash));
  add(PolicySetting::WashInterval, "Time interval",
      std::string(
          kWashIntervals[static_cast<std::size_t>(o.WashInterval) % kWashIntervals.size()]));
  add(PolicySetting::StartWash, "Clean when Windows start", OnOff(o.StartWash));
  add(PolicySetting::ShutdownWash, "Clean when Windows shut down", OnOff(o.ShutdownWash));
  add(PolicySetting::FastScan, "Fast Mode", OnOff(o.FastScan));
  add(PolicySetting::OverwriteFile, "Overwrite the deleted files", OnOff(o.OverwriteFile));
  add(PolicySetting::OverwriteNumber, "Number of times", std::to_string(o.OverwriteNumber.get()));
  if (policy.report_path) lines.push_back("Report: " + *policy.report_path + tail);
  return lines;
}

}  // namespace morvel::app
