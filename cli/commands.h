#pragma once
// The command line's commands on any backend: list, test and clean. Each returns the exit
// status: 0 when the run ended normally (a Clean: and its verify pass found nothing left),
// 3 when a Clean left something, 2 for a key a policy blocks, 1 on any other failure (a
// one-line message on the error stream).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/port.h"

namespace morvel::cli {

struct Streams {
  std::ostream& out;
  std::ostream& err;
  bool progress_on_err = false;  // the removal pass's percentage, when err is a terminal
};

// The catalogue in tree order, one node a line, "[x] " or "[ ] " from the stored ticks, a
// leaf that a policy ticks or blocks followed by " (set by policy)"; then a line for each
// setting a policy holds.
int ListCommand(platform::Port& port, const Streams& io);

// A Test run of `keys`, or of the ticked items when `keys` is empty; its report in
// `report` when one is given.
int TestCommand(platform::Port& port, const std::vector<std::string>& keys, const Streams& io,
                const std::optional<std::string>& report = std::nullopt);

// The main window's Clean through the window's own controller: Firefox check,
// confirmation when asked for, hidden preparation pass (started fast: no entry lines), then
// the removal pass. `unattended` runs one unattended pass instead, as a clean-once start
// does: no confirmation, no message for an empty selection.
// Either ends with the verify pass's summary; an unattended pass also writes the event,
// and its report where settings.ini or a policy says when `report` is not given.
int CleanCommand(platform::Port& port, const std::vector<std::string>& keys, bool unattended,
                 const Streams& io, const std::optional<std::string>& report = std::nullopt);

}  // namespace morvel::cli
