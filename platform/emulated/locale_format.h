#pragma once
// The emulated machine's local time and its date and time formats: what
// FileTimeToLocalFileTime, FileTimeToSystemTime, GetDateFormat and GetTimeFormat do with the
// facts of machine.ini's [Locale] section.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace morvel::platform::emulated {

struct LocaleFacts {
  // Minutes to add to local time to get UTC, as Windows' time zone bias: -60 is UTC+1.
  int bias_minutes = 0;
  // Pictures in the syntax of GetDateFormat and GetTimeFormat; those of en-US by default.
  std::string short_date = "M/d/yyyy";
  std::string long_time = "h:mm:ss tt";
};

// The FILETIME moved to local time and split into calendar fields; nullopt where Windows
// fails too: a time that does not fit a signed 64-bit count once moved, or one before 1601.
std::optional<CalendarTime> LocalCalendar(std::uint64_t filetime, int bias_minutes);

// d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g gg, and 'quoted text'; anything else as is.
std::string FormatDatePicture(std::string_view picture, const CalendarTime& time);
// h hh H HH, m mm, s ss, t tt, and 'quoted text'; anything else as is.
std::string FormatTimePicture(std::string_view picture, const CalendarTime& time);

}  // namespace morvel::platform::emulated
