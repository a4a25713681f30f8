#pragma once
// The emulated machine's Task Scheduler: a task is the file <system folder>\Tasks\<name>
// of the image holding its XML definition (UTF-16 with a byte-order mark), where and as Windows
// keeps it.

#include <memory>

#include "platform/emulated/machine_facts.h"
#include "platform/file_system.h"
#include "platform/logon_tasks.h"

namespace morvel::platform::emulated {

// A scheduler exists on NT 6.0 (Vista) and later; the user is the last name of the
// profile folder. Both must outlive the object.
std::unique_ptr<LogonTasks> MakeEmulatedLogonTasks(const MachineFacts& facts, FileSystem& files);

}  // namespace morvel::platform::emulated
