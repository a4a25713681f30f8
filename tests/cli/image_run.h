#pragma once
// One command of the command line on a machine image, as the program runs it: the image
// opened afresh, the command given a port on it, the machine saved after it.

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "platform/emulated/machine.h"

namespace morvel::testing {

template <class Command>
int RunOnImage(const std::filesystem::path& image, platform::UserQuestions& questions,
               std::ostringstream& out, std::ostringstream& err, Command command) {
  auto machine = platform::emulated::EmulatedMachine::Open(image);
  platform::Port port = platform::PortOf(*machine, questions);
  out.str("");
  err.str("");
  const int status = command(port, cli::Streams{out, err, false});
  machine->Save();
  return status;
}

}  // namespace morvel::testing
