#include "platform/event_log.h"

namespace morvel::platform {

const char* EventLevelName(EventLevel level) {
  switch (level) {
    case EventLevel::Information:
      return "Information";
    case EventLevel::Warning:
      return "Warning";
    case EventLevel::Error:
      return "Error";
  }
  return "Information";
}

}  // namespace morvel::platform
