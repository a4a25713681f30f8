#pragma once
// The command line's words:
// morvel [--image DIR] [--yes|--no] [--unattended] [--report FILE] COMMAND [ARGS]

#include <optional>
#include <string>
#include <vector>

#include "cli/terminal.h"

namespace morvel::cli {

struct Arguments {
  std::optional<std::string> image;
  TerminalQuestions::Fixed answer = TerminalQuestions::Fixed::None;
  bool unattended = false;
  std::optional<std::string> report;  // test and clean: the run report's file
  bool help = false;
  std::string command;            // list, test, clean, index-dat, demo
  std::vector<std::string> args;  // the command's own words
};

// Parses the words after the program name. Throws UsageError on bad usage.
Arguments ParseArguments(const std::vector<std::string>& words);

struct UsageError {
  std::string message;
};

extern const char* const kUsage;

}  // namespace morvel::cli
