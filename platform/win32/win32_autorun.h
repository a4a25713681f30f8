#pragma once
// The Task Scheduler 2.0 of the real machine (ITaskService), for the log-on task.

#include <memory>

#include "platform/logon_tasks.h"

namespace morvel::platform::win32 {

// Each call connects to the scheduler afresh (COM entered for the call), so the object
// holds nothing open between them.
std::unique_ptr<LogonTasks> MakeWin32LogonTasks();

}  // namespace morvel::platform::win32
