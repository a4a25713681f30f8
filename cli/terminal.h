#pragma once
// The terminal the command line talks to, and its answers to questions.

#include <iosfwd>
#include <optional>

#include "platform/questions.h"

namespace morvel::cli {

bool StdinIsTerminal();
bool StderrIsTerminal();

// Questions asked on the terminal. A fixed answer (--yes / --no) is given without asking;
// without a terminal the answer is No (Cancel for OK/Cancel, OK for a notice).
class TerminalQuestions final : public platform::UserQuestions {
 public:
  enum class Fixed { None, Yes, No };
  TerminalQuestions(Fixed fixed, bool interactive, std::istream& in, std::ostream& out)
      : fixed_(fixed), interactive_(interactive), in_(in), out_(out) {}
  platform::Answer Ask(const platform::Question& question) override;

 private:
  Fixed fixed_;
  bool interactive_;
  std::istream& in_;
  std::ostream& out_;
};

}  // namespace morvel::cli
