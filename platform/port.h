#pragma once
// The port: the only door from portable code to the operating system. A backend (the
// real Win32 one or the emulated machine) provides all parts; the front end provides
// the questions.

#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/internet.h"
#include "platform/logon_tasks.h"
#include "platform/protected_storage.h"
#include "platform/questions.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::platform {

struct Port {
  Registry& registry;
  FileSystem& files;
  SystemInfo& system;
  WindowSystem& windows;
  UserQuestions& questions;
  ProtectedStorage& protected_storage;
  Internet& internet;
  LogonTasks& logon_tasks;
  EventLog& events;
};

// The port of a whole machine (the emulated one or Windows itself), its questions asked of
// `questions`: one place that knows the parts, so that a new part reaches every front end.
template <typename Machine>
Port PortOf(Machine& machine, UserQuestions& questions) {
  return Port{machine.registry(), machine.files(),
              machine.system(),   machine.windows(),
              questions,          machine.protected_storage(),
              machine.internet(), machine.logon_tasks(),
              machine.events()};
}

}  // namespace morvel::platform
