#include "cli/terminal.h"

#include <cstdio>
#include <istream>
#include <ostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define MORVEL_ISATTY _isatty
#define MORVEL_FILENO _fileno
#else
#include <unistd.h>
#define MORVEL_ISATTY isatty
#define MORVEL_FILENO fileno
#endif

#include "common/text.h"

namespace morvel::cli {

using platform::Answer;
using platform::Buttons;

bool StdinIsTerminal() { return MORVEL_ISATTY(MORVEL_FILENO(stdin)) != 0; }
bool StderrIsTerminal() { return MORVEL_ISATTY(MORVEL_FILENO(stderr)) != 0; }

namespace {

Answer Positive(Buttons b) { return b == Buttons::YesNo ? Answer::Yes : Answer::Ok; }
Answer Negative(Buttons b) {
  switch (b) {
    case Buttons::YesNo:
      return Answer::No;
    case Buttons::OkCancel:
      return Answer::Cancel;
    case Buttons::Ok:
      return Answer::Ok;
  }
  return Answer::No;
}

}  // namespace

Answer TerminalQuestions::Ask(const platform::Question& q) {
  if (!q.caption.empty()) out_ << q.caption << ": ";
  out_ << q.text;
  if (q.buttons == Buttons::Ok) {
    out_ << "\n";
    out_.flush();
    return Answer::Ok;
  }
  if (fixed_ != Fixed::None || !interactive_) {
    const Answer a = fixed_ == Fixed::Yes ? Positive(q.buttons) : Negative(q.buttons);
    out_ << (a == Answer::Yes || a == Answer::Ok ? " [yes]\n" : " [no]\n");
    out_.flush();
    return a;
  }
  out_ << (q.buttons == Buttons::YesNo ? " [y/N] " : " [o/C] ");
  out_.flush();
  std::string line;
  if (!std::getline(in_, line)) return Negative(q.buttons);
  const std::string answer = UpperCase(line);
  if (answer == "Y" || answer == "YES" || answer == "O" || answer == "OK")
    return Positive(q.buttons);
  return Negative(q.buttons);
}

}  // namespace morvel::cli
