#pragma once
// The event an unattended run leaves in the Application log: information when the verify
// pass found nothing left, a warning when something was, an error when the run stopped
// before its end. The message table in morvel.exe (gui/morvel_events.mc) holds the words;
// the event carries the numbers as its insertion strings.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/run_result.h"
#include "platform/event_log.h"

namespace morvel::app {

// The message ids of gui/morvel_events.mc.
inline constexpr std::uint32_t kEventNothingLeft = 1000;
inline constexpr std::uint32_t kEventSomethingLeft = 1001;
inline constexpr std::uint32_t kEventStopped = 1002;

// What started an unattended run.
enum class Unattended { CleanOnce, Schedule, AtStart, AtShutDown, CommandLine };

// The words %1 of every message gets for the trigger ("-cleanonce", "schedule", ...).
std::string_view UnattendedText(Unattended trigger);

// %1 the trigger, %2 removed items, %3 removed bytes, %4 left things, %5 in use,
// %6 access denied, %7 refused, %8 at restart, %9 the report (its path, "none", or why it
// was not written).
platform::Event CleanEvent(Unattended trigger, const RunTotals& totals, std::string_view report);
// %1 the trigger, %2 why it stopped.
platform::Event StoppedEvent(Unattended trigger, std::string_view why);

}  // namespace morvel::app
