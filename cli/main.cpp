// morvel: the command-line front end. Natively it works on an emulated machine image
// (--image DIR); built for Windows it works on the real machine.

#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/index_dat_command.h"
#include "cli/terminal.h"

#ifdef MORVEL_EMULATED
#include "demo/image.h"
#include "platform/emulated/image_lock.h"
#include "platform/emulated/machine.h"
#else
#include "platform/win32/win32_machine.h"
#endif

namespace {

using morvel::cli::Arguments;

#ifdef MORVEL_EMULATED
// How long a run waits for another one on the same image to end.
constexpr std::chrono::seconds kImagePatience{30};

std::filesystem::path ProgramFolder(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path();
}

int Demo(const Arguments& args, const char* argv0) {
  const std::filesystem::path dir = args.args.empty() ? "demo-image" : args.args[0];
  const std::filesystem::path program = ProgramFolder(argv0);
  // The community's definitions go into the image when they lie beside the program.
  std::filesystem::path community = program / "Winapp2.ini";
  if (std::error_code ec; !std::filesystem::exists(community, ec)) community.clear();
  morvel::cli::WriteDemoImage(dir, program / "Morvel.dat", community);
  const std::string image = dir.string();
  std::cout << "Wrote a sample machine image to " << image << "\n"
            << "Next:\n"
            << "  morvel --image " << image << " list\n"
            << "  morvel --image " << image << " test\n"
            << "  morvel --image " << image << " --yes clean\n";
  return 0;
}
#endif

int Run(const Arguments& args, const char* argv0) {
  morvel::cli::TerminalQuestions questions(args.answer, morvel::cli::StdinIsTerminal(), std::cin,
                                           std::cerr);
  const morvel::cli::Streams io{std::cout, std::cerr, morvel::cli::StderrIsTerminal()};

#ifdef MORVEL_EMULATED
  if (args.command == "demo") return Demo(args, argv0);
  if (!args.image) throw morvel::cli::UsageError{"--image DIR is required"};
  // Held until the registry is written back, so that runs on one image never interleave.
  const auto lock = morvel::platform::emulated::ImageLock::Acquire(
      *args.image, kImagePatience,
      [&] { std::cerr << "morvel: waiting for another run on " << *args.image << " to end\n"; });
  auto machine = morvel::platform::emulated::EmulatedMachine::Open(*args.image);
#else
  (void)argv0;
  if (args.command == "demo")
    throw morvel::cli::UsageError{"demo writes an emulated image; use the native build"};
  if (args.image) throw morvel::cli::UsageError{"--image is for the native build"};
  auto machine = morvel::platform::win32::Win32Machine::Open();
#endif
  morvel::platform::Port port = morvel::platform::PortOf(*machine, questions);
  int status = 1;
  if (args.command == "list")
    status = morvel::cli::ListCommand(port, io);
  else if (args.command == "test")
    status = morvel::cli::TestCommand(port, args.args, io, args.report);
  else if (args.command == "clean")
    status = morvel::cli::CleanCommand(port, args.args, args.unattended, io, args.report);
  else if (args.command == "index-dat")
    status = morvel::cli::IndexDatCommand(port, args.args[0], io);
#ifdef MORVEL_EMULATED
  machine->Save();
#endif
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  try {
    const Arguments args = morvel::cli::ParseArguments(words);
    if (args.help) {
      std::cout << morvel::cli::kUsage;
      return 0;
    }
    return Run(args, argv[0]);
  } catch (const morvel::cli::UsageError& e) {
    std::cerr << "morvel: " << e.message << "\n" << morvel::cli::kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "morvel: " << e.what() << "\n";
    return 1;
  }
}
