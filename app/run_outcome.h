#pragma once
// What follows a run once its results are known, for both front ends: the verified
// summary in the log after a Clean, the run report when one is asked for, and the event
// of an unattended run.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_view.h"
#include "app/run_event.h"
#include "app/run_result.h"
#include "platform/port.h"

namespace morvel::app {

// A Test's items as results.
std::vector<ItemResult> TestResults(const std::vector<FinishedItem>& test);
// A Clean's items with the verify pass's of the same keys (an item the verify pass did not
// reach, a stopped one, keeps what the Clean said).
std::vector<ItemResult> VerifiedResults(const std::vector<FinishedItem>& clean,
                                        const std::vector<FinishedItem>& verify);

// The day as %DATE% of a report's path writes it: the machine's local date, year-month-day.
std::string ReportDate(const platform::SystemInfo& system,
                       std::chrono::system_clock::time_point now);

// A finished run as its report and its event tell it.
struct RunOutcome {
  bool test = false;
  std::optional<Unattended> unattended;  // the trigger of an unattended run
  std::string report_path;               // "" for no report; %COMPUTERNAME% and %DATE% expanded
  std::chrono::system_clock::time_point started;
  std::vector<ItemResult> results;
};

// Writes the report (when asked for) and the event (for an unattended run). Returns the
// lines the log gets for what went wrong, and sets `report_failure` when the report could
// not be written.
std::vector<std::string> Deliver(platform::Port& port, const RunOutcome& outcome,
                                 std::optional<std::string>& report_failure);

}  // namespace morvel::app
