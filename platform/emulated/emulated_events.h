#pragma once
// The emulated machine's event log: the text file stores/events.txt of the image, one line
// per event in the order they were reported, each as ReportEvent received it:
//   <UTC time> TAB <level> TAB <source> TAB <id> TAB <string 1> TAB <string 2> ...

#include <filesystem>

#include "platform/event_log.h"

namespace morvel::platform::emulated {

class EmulatedEventLog final : public EventLog {
 public:
  explicit EmulatedEventLog(std::filesystem::path file) : file_(std::move(file)) {}
  // Appends the event at once, as Windows writes it at once. A tab, line end or other
  // control character in a string becomes a blank, so that each event stays one line.
  Status Report(const Event& event) override;

 private:
  std::filesystem::path file_;
};

}  // namespace morvel::platform::emulated
