#pragma once
// `morvel index-dat FILE`: what the index.dat viewer lists for one file, as text.

#include <string_view>

#include "cli/commands.h"
#include "platform/port.h"

namespace morvel::cli {

// One line per URL found, "URL<TAB>Last Modified", then "Total Record: N". FILE must be an
// existing file whose extension is ".dat" in any letter case; otherwise the viewer's
// message goes to the error stream and the status is 1, as it is when the file cannot be
// opened.
int IndexDatCommand(platform::Port& port, std::string_view file, const Streams& io);

}  // namespace morvel::cli
