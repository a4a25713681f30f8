#pragma once
// Questions a run or a window asks the user. The GUI shows message boxes, the command
// line asks on the terminal, tests answer from a script.

#include <string_view>

namespace morvel::platform {

enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Yes, No, Cancel };
enum class Icon { None, Information, Warning, Question, Error };

struct Question {
  std::string_view text;
  std::string_view caption;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  Answer default_answer = Answer::Ok;
};

class UserQuestions {
 public:
  virtual ~UserQuestions() = default;
  // Blocks until answered.
  virtual Answer Ask(const Question& question) = 0;
};

}  // namespace morvel::platform
