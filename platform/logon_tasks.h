#pragma once
// The Task Scheduler's tasks that start a program when the user logs on. Windows does not
// start a program that asks for administrator rights from the Run key at log-on (User
// Account Control stops it without a word); a task that runs with the highest privileges
// is what starts one there.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace morvel::platform {

class LogonTasks {
 public:
  virtual ~LogonTasks() = default;

  // Whether this Windows has the Task Scheduler 2.0 (Vista and later) and it answers; where
  // it has not, the other operations fail with NotFound.
  [[nodiscard]] virtual bool Available() const = 0;

  // The current user's account as a task names it ("COMPUTER\name", "DOMAIN\name").
  [[nodiscard]] virtual std::string CurrentUser() const = 0;

  // Whether the task `name` of the scheduler's root folder exists.
  [[nodiscard]] virtual Result<bool> Exists(std::string_view name) const = 0;

  // Registers the task `name` in the root folder from its XML definition (the Task
  // Scheduler schema, UTF-8 here), replacing a task of that name, to run as the logged-on
  // user (interactive token). InvalidArgument when the scheduler refuses the definition;
  // AccessDenied without the rights the definition asks for.
  virtual Status Register(std::string_view name, std::string_view xml) = 0;

  // Removes the task `name` of the root folder. NotFound when there is none.
  virtual Status Remove(std::string_view name) = 0;
};

}  // namespace morvel::platform
