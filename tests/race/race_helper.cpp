// The other program of scripts/race-doors.sh: it changes one name of a machine image as
// fast as it can while a Clean runs, as a hostile program racing the cleaner would.
//
//   race_helper link TARGET NAME
//       makes NAME another name (hard link) of the file TARGET and takes it away again;
//   race_helper exchange FOLDER LINK_TARGET
//       swaps FOLDER with a symbolic link to LINK_TARGET (renameat2 RENAME_EXCHANGE) and back.
//
// Both print "racing" once they go round, go round until SIGTERM or SIGINT, then leave
// things as they found them (the name gone; the folder back in its place) and print how many
// rounds they made.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void RequestStop(int) { stop_requested = 1; }

int Usage() {
  std::fprintf(stderr,
               "usage: race_helper link TARGET NAME\n"
               "       race_helper exchange FOLDER LINK_TARGET\n");
  return 2;
}

long LinkRounds(const char* target, const char* name) {
  long rounds = 0;
  while (stop_requested == 0) {
    if (::link(target, name) == 0) ::unlink(name);
    ++rounds;
  }
  // Only the name this program made: the same file as the target.
  struct stat made {
  }, original{};
  if (::lstat(name, &made) == 0 && ::stat(target, &original) == 0 &&
      made.st_ino == original.st_ino && made.st_dev == original.st_dev)
    ::unlink(name);
  return rounds;
}

long ExchangeRounds(const std::string& folder, const char* link_target) {
  const std::string link = folder + ".race-link";
  ::unlink(link.c_str());
  if (::symlink(link_target, link.c_str()) != 0) {
    std::perror("race_helper: symlink");
    return -1;
  }
  long rounds = 0;
  bool swapped = false;
  while (stop_requested == 0 || swapped) {
    if (::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) != 0) {
      std::perror("race_helper: renameat2");
      break;
    }
    swapped = !swapped;
    ++rounds;
  }
  if (!swapped) ::unlink(link.c_str());
  return rounds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  // The script starts the cleaner once this line is out: the race is on from its first step.
  std::printf("racing\n");
  std::fflush(stdout);
  const std::string mode = argv[1];
  long rounds = -1;
  if (mode == "link") {
    rounds = LinkRounds(argv[2], argv[3]);
  } else if (mode == "exchange") {
    rounds = ExchangeRounds(argv[2], argv[3]);
  } else {
    return Usage();
  }
  if (rounds < 0) return 1;
  std::printf("%ld\n", rounds);
  return 0;
}
