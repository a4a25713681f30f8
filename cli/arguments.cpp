#include "cli/arguments.h"

#include "app/run_report.h"

namespace morvel::cli {

const char* const kUsage =
    "usage: morvel [--image DIR] [--yes|--no] COMMAND [ARGS]\n"
    "  list                 the catalogue with the stored ticks\n"
    "  test [KEY...]        a Test run of the keys, or of the ticked items\n"
    "  clean [KEY...]       Clean as the main window does (--unattended: one unattended pass)\n"
    "  test and clean take --report FILE: what went and what is left, per item, in FILE\n"
    "                       (.json or .csv)\n"
    "  index-dat FILE       the URLs of an index.dat file: URL<TAB>Last Modified a line,\n"
    "                       then \"Total Record: N\"\n"
    "  demo [DIR]           write a sample machine image\n"
    "Exit status: 0 done (after a Clean: nothing left), 3 a Clean left something, 1 an\n"
    "error, 2 bad usage. The help file Morvel.chm beside the program tells what every item\n"
    "removes and how to use the window, the schedule and this command line.\n";

namespace {

// The value of "--name VALUE" or "--name=VALUE" when `words[i]` is that option (moving `i`
// past a separate value); nullopt for another word. Throws `missing` for an empty one.
std::optional<std::string> OptionValue(const std::vector<std::string>& words, std::size_t& i,
                                       const std::string& name, const char* missing) {
  const std::string& w = words[i];
  std::optional<std::string> value;
  if (w == name) {
    if (i + 1 >= words.size()) throw UsageError{missing};
    value = words[++i];
  } else if (w.rfind(name + "=", 0) == 0) {
    value = w.substr(name.size() + 1);
  } else {
    return std::nullopt;
  }
  if (value->empty()) throw UsageError{missing};
  return value;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
  Arguments a;
  bool options_done = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (!options_done && w == "--") {
      options_done = true;
    } else if (auto image = options_done
                                ? std::nullopt
                                : OptionValue(words, i, "--image", "--image needs a folder")) {
      a.image = std::move(image);
    } else if (auto report = options_done
                                 ? std::nullopt
                                 : OptionValue(words, i, "--report", "--report needs a file")) {
      a.report = std::move(report);
    } else if (!options_done && (w == "--yes" || w == "--no")) {
      const auto fixed =
          w == "--yes" ? TerminalQuestions::Fixed::Yes : TerminalQuestions::Fixed::No;
      if (a.answer != TerminalQuestions::Fixed::None && a.answer != fixed)
        throw UsageError{"--yes and --no exclude each other"};
      a.answer = fixed;
    } else if (!options_done && w == "--unattended") {
      a.unattended = true;
    } else if (!options_done && (w == "--help" || w == "-h")) {
      a.help = true;
    } else if (!options_done && w.size() > 2 && w.rfind("--", 0) == 0) {
      throw UsageError{"unknown option " + w};
    } else if (a.command.empty()) {
      a.command = w;
    } else {
      a.args.push_back(w);
    }
  }
  if (a.help) return a;
  if (a.command.empty()) throw UsageError{"no command given"};
  const std::string& c = a.command;
  if (c != "list" && c != "test" && c != "clean" && c != "demo" && c != "index-dat")
    throw UsageError{"unknown command " + c};
  if (a.unattended && c != "clean") throw UsageError{"--unattended goes with clean"};
  if (a.report && c != "test" && c != "clean")
    throw UsageError{"--report goes with test and clean"};
  if (a.report && !app::ReportFormatOf(*a.report))
    throw UsageError{"--report FILE ends in .json or .csv"};
  if (c == "list" && !a.args.empty()) throw UsageError{"list takes no arguments"};
  if (c == "index-dat" && a.args.size() != 1) throw UsageError{"index-dat takes one file"};
  if (c == "demo" && a.args.size() > 1) throw UsageError{"demo takes at most one folder"};
  return a;
}

}  // namespace morvel::cli
