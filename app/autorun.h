#pragma once
// Starting with Windows ("Auto run when the computer starts"). The program asks for
// administrator rights, and Windows Vista and later do not start such a program from the
// Run key at log-on; there it is the Task Scheduler's log-on task "Morvel", run with the
// highest privileges, that starts it with "-Start". Older Windows keep the Run value
// "Morvel", the program's path in quotes (unquoted, a path with blanks would let
// "C:\Program.exe" start in its place).

#include <optional>
#include <string>
#include <string_view>

#include "platform/logon_tasks.h"
#include "platform/registry.h"

namespace morvel::app {

// The current user's Run key, which holds the autorun value of older installs.
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The log-on task's definition: at `user`'s log-on, `program_path` (in quotes when it holds
// a blank) with "-Start", with the highest privileges the user has, never stopped for
// running long or on batteries.
std::string LogonTaskXml(std::string_view program_path, std::string_view user);

// The Run value's data: the path in quotes, a blank and "-Start".
std::string RunValueData(std::string_view program_path);

class Autorun {
 public:
  Autorun(platform::Registry& registry, platform::LogonTasks& tasks)
      : registry_(registry), tasks_(tasks) {}

  // Whether the program starts with Windows: its log-on task is there, or (an older
  // install) the Run value holds "-Start".
  [[nodiscard]] bool IsOn() const;

  // Sets it. Where there is a scheduler, the task is registered or removed, and the Run
  // value goes either way (an older install's value is moved to the task); a Run value
  // stays only until its task is registered. Elsewhere the Run value is written or
  // removed. The message to show when Windows refused, else nullopt.
  std::optional<std::string> Set(bool on, std::string_view program_path);

 private:
  platform::Status RemoveRunValue();

  platform::Registry& registry_;
  platform::LogonTasks& tasks_;
};

}  // namespace morvel::app
