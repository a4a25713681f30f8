#pragma once
// The command line's commands on any backend: list, test and clean. Each returns the exit
// status: 0 when the run ended normally, 1 on any other failure (a one-line message on
// the error stream).

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/port.h"

namespace morvel::cli {

struct Streams {
  std::ostream& out;
  std::ostream& err;
  bool progress_on_err = false;  // the removal pass's percentage, when err is a terminal
};

// The catalogue in tree order, one node a line, "[x] " or "[ ] " from the stored ticks.
int ListCommand(platform::Port& port, const Streams& io);

// A Test run of `keys`, or of the ticked items when `keys` is empty.
int TestCommand(platform::Port& port, const std::vector<std::string>& keys, const Streams& io);

// The main window's Clean through the window's own controller: Firefox check,
// confirmation when asked for, hidden preparation pass (started fast: no entry lines), then
// the removal pass. `unattended` runs one unattended pass instead, as a clean-once start
// does: no confirmation, no message for an empty selection.
int CleanCommand(platform::Port& port, const std::vector<std::string>& keys, bool unattended,
                 const Streams& io);

}  // namespace morvel::cli
