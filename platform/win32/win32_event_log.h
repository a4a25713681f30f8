#pragma once
// The Application log through RegisterEventSource and ReportEvent.

#include <memory>

#include "platform/event_log.h"

namespace morvel::platform::win32 {

std::unique_ptr<EventLog> MakeWin32EventLog();

}  // namespace morvel::platform::win32
