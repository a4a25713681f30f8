#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

WORD EventType(EventLevel level) {
  switch (level) {
    case EventLevel::Information:
      return EVENTLOG_INFORMATION_TYPE;
    case EventLevel::Warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error:
      return EVENTLOG_ERROR_TYPE;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

class Win32EventLog final : public EventLog {
 public:
  Status Report(const Event& event) override {
    // Registered for each event: a program that runs for days holds no handle to the log.
    HANDLE source = RegisterEventSourceW(nullptr, Wide(event.source).c_str());
    if (source == nullptr) return StatusOf(GetLastError());
    std::vector<std::wstring> strings;
    for (const std::string& text : event.strings) strings.push_back(Wide(text));
    std::vector<LPCWSTR> pointers;
    for (const std::wstring& text : strings) pointers.push_back(text.c_str());
    const BOOL reported = ReportEventW(source, EventType(event.level), 0, event.id, nullptr,
                                       static_cast<WORD>(pointers.size()), 0,
                                       pointers.empty() ? nullptr : pointers.data(), nullptr);
    const DWORD error = reported ? ERROR_SUCCESS : GetLastError();
    DeregisterEventSource(source);
    return reported ? Status::Ok() : StatusOf(error);
  }
};

}  // namespace

std::unique_ptr<EventLog> MakeWin32EventLog() { return std::make_unique<Win32EventLog>(); }

}  // namespace morvel::platform::win32
