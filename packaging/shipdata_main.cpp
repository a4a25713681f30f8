// morvel-shipdata: writes what ships beside the program and is made from its item table.
//   morvel-shipdata help SOURCES MORVEL_DAT DIR   the help project in DIR, compiled to
//                                                 DIR/Morvel.chm
//   morvel-shipdata settings KEYS OUT             the first-start settings.ini (KEYS: one
//                                                 item key a line, "#" comments)

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "packaging/first_settings.h"
#include "packaging/help_project.h"

namespace {

constexpr const char* kUsage =
    "usage: morvel-shipdata help SOURCES MORVEL_DAT DIR\n"
    "       morvel-shipdata settings KEYS OUT\n";

std::vector<std::string> KeyLines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<std::string> keys;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') keys.push_back(line);
  }
  return keys;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 4 && args[0] == "help") {
      const auto project = morvel::packaging::ReadHelpSources(args[1], args[2]);
      morvel::packaging::WriteHelpProject(project, args[3]);
      morvel::packaging::CompileHelp(args[3]);
      return 0;
    }
    if (args.size() == 3 && args[0] == "settings") {
      WriteBytes(args[2], morvel::packaging::FirstStartSettings(KeyLines(args[1])));
      return 0;
    }
    std::cerr << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "morvel-shipdata: " << e.what() << "\n";
    return 1;
  }
}
