#pragma once
// The system's event log, where the tools administrators already use (Event Viewer, event
// forwarding, monitoring) see what a program did: on Windows the Application log, on the
// emulated machine a text file of the image (docs/machine-image.md).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace morvel::platform {

enum class EventLevel { Information, Warning, Error };

struct Event {
  std::string source;  // the event source the installer registered ("Morvel")
  EventLevel level = EventLevel::Information;
  std::uint32_t id = 0;              // a message of the source's message table
  std::vector<std::string> strings;  // the message's insertion strings: %1, %2, ...
};

class EventLog {
 public:
  virtual ~EventLog() = default;
  // Writes one event to the Application log (RegisterEventSource, ReportEvent). Windows
  // takes an event of a source nobody registered too; Event Viewer then shows its strings
  // without the message's words. Other when the log refuses the event.
  virtual Status Report(const Event& event) = 0;
};

// The word for a level, as the emulated machine's event file writes it.
const char* EventLevelName(EventLevel level);

}  // namespace morvel::platform
