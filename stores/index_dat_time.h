#pragma once
// The "Last Modified" text of an index.dat row.

#include <cstdint>
#include <string>

#include "platform/system_info.h"

namespace morvel {

inline constexpr const char* kTimeNotAvailable = "Not Available";

// A FILETIME (UTC) as the user reads it: converted to local calendar fields, then the short
// date, a blank and the long time in the user's formats, the time left out at exactly
// midnight. "Not Available" for a time that cannot be converted, fields past the year 2500
// (or otherwise out of bounds), and for 30 December 1899 00:00:00.000 local time, the zero
// of the date-time values the viewer keeps.
std::string LastModifiedText(const platform::SystemInfo& system, std::uint64_t filetime);

}  // namespace morvel
