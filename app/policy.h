#pragma once
// Group Policy: what an administrator sets for many machines at once under
// HKEY_LOCAL_MACHINE\Software\Policies\Morvel or HKEY_CURRENT_USER\Software\Policies\Morvel
// (Morvel.admx describes it to the policy editors). A value the machine's key holds wins
// over the user's key, and either wins over settings.ini; what no policy sets stays the
// user's. Policies are read when the program starts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options_dialog.h"
#include "engine/catalogue.h"
#include "engine/options_setting.h"
#include "platform/registry.h"

namespace morvel::app {

inline constexpr std::string_view kPolicyKey = "Software\\Policies\\Morvel";
// The words the command line prints beside what a policy sets, and the window's tooltip.
inline constexpr std::string_view kSetByPolicy = "set by policy";
inline constexpr std::string_view kSetByPolicyTip =
    "Set by policy: your administrator decides this.";

// The settings a policy may set, each a DWORD value named as its settings.ini key.
enum class PolicySetting {
  AutoWash,         // clean on a schedule
  WashInterval,     // 0..4, the schedule's interval (IntervalToMs)
  StartWash,        // clean when Windows starts
  ShutdownWash,     // clean when Windows shuts down
  FastScan,         // Fast Mode
  OverwriteFile,    // overwrite files before deleting them
  OverwriteNumber,  // 1..10 passes
};
inline constexpr std::size_t kPolicySettingCount = 7;
// The values' names, in the order of PolicySetting.
inline constexpr std::array<std::string_view, kPolicySettingCount> kPolicySettingNames = {
    "AutoWash", "WashInterval",  "StartWash",      "ShutdownWash",
    "FastScan", "OverwriteFile", "OverwriteNumber"};
// Sub-keys whose string values (of any name) are item keys, and the report's path (REG_SZ).
inline constexpr std::string_view kTickedItemsKey = "TickedItems";
inline constexpr std::string_view kBlockedItemsKey = "BlockedItems";
inline constexpr std::string_view kReportPathValue = "ReportPath";

struct Policy {
  std::array<std::optional<std::uint32_t>, kPolicySettingCount> settings{};
  std::vector<std::string> ticked;   // always ticked
  std::vector<std::string> blocked;  // never ticked, nor cleaned when named
  std::optional<std::string> report_path;

  [[nodiscard]] bool Holds(PolicySetting setting) const {
    return settings[static_cast<std::size_t>(setting)].has_value();
  }
  // Whether a policy sets the item's tick (a leaf's key; a root is never held itself).
  [[nodiscard]] bool HoldsItem(std::string_view key) const;
  [[nodiscard]] bool Blocks(std::string_view key) const;
  // Whether any setting of the Settings dialog or the Fast Mode box is held.
  [[nodiscard]] bool HoldsAny() const;
};

// The Settings dialog's controls the policy sets.
OptionsHeld HeldControls(const Policy& policy);

// The policies of both keys. A value of the wrong type (a string where a DWORD belongs) is
// no policy; a number out of range reads as settings.ini's would (interval 0, passes 1).
Policy ReadPolicy(const platform::Registry& registry);

// The record and the ticks as the policies set them: held settings take the policy's value,
// policy-ticked items are ticked, blocked ones unticked, and a root is ticked when one of
// its leaves is.
void ApplyPolicy(const Policy& policy, TOptionsSetting& options, Catalogue& catalogue);

// What settings.ini gets back for what a policy holds: the value the user had stored
// (`stored`, the record as settings.ini gave it), so that the user's own choice comes back
// once the policy goes. The ticks the same way, from `stored_ticks`.
void RestoreStoredValues(const Policy& policy, const TOptionsSetting& stored,
                         TOptionsSetting& options);
void RestoreStoredTicks(const Policy& policy, const std::vector<std::string>& stored_ticks,
                        Catalogue& catalogue);

// The lines `list` prints after the catalogue for what a policy holds beside the ticks,
// e.g. "Fast Mode: on (set by policy)"; none when no policy holds a setting.
std::vector<std::string> PolicyLines(const Policy& policy, const TOptionsSetting& options);

}  // namespace morvel::app
