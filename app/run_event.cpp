#include "app/run_event.h"

#include "app/product.h"

namespace morvel::app {

std::string_view UnattendedText(Unattended trigger) {
  switch (trigger) {
    case Unattended::CleanOnce:
      return "-cleanonce";
    case Unattended::Schedule:
      return "schedule";
    case Unattended::AtStart:
      return "Windows start";
    case Unattended::AtShutDown:
      return "Windows shut-down";
    case Unattended::CommandLine:
      return "command line";
  }
  return "schedule";
}

platform::Event CleanEvent(Unattended trigger, const RunTotals& totals, std::string_view report) {
  const bool left = totals.left_items != 0;
  return {std::string(kProductName),
          left ? platform::EventLevel::Warning : platform::EventLevel::Information,
          left ? kEventSomethingLeft : kEventNothingLeft,
          {std::string(UnattendedText(trigger)), std::to_string(totals.removed_items),
           std::to_string(totals.removed_bytes), std::to_string(totals.left_items),
           std::to_string(totals.in_use), std::to_string(totals.access_denied),
           std::to_string(totals.refused), std::to_string(totals.at_restart), std::string(report)}};
}

platform::Event StoppedEvent(Unattended trigger, std::string_view why) {
  return {std::string(kProductName),
          platform::EventLevel::Error,
          kEventStopped,
          {std::string(UnattendedText(trigger)), std::string(why)}};
}

}  // namespace morvel::app
