#include "app/autorun.h"

#include "app/product.h"

namespace morvel::app {

namespace {

constexpr auto kUser = platform::RootKey::CurrentUser;

std::string XmlText(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string Refusal(bool on, std::string_view who, const platform::Status& status) {
  return std::string(on ? "Morvel could not be set to run when the computer starts: "
                        : "Morvel could not be kept from running when the computer starts: ") +
         std::string(who) + " refused the change (" + platform::ErrorKindName(status.kind) + ").";
}

// Done, or nothing there to remove.
bool DoneOrAbsent(const platform::Status& status) {
  return status.ok() || status.kind == platform::ErrorKind::NotFound;
}

}  // namespace

std::string LogonTaskXml(std::string_view program_path, std::string_view user) {
  const bool quoted = program_path.find_first_of(" \t") != std::string_view::npos;
  const std::string command =
      quoted ? "\"" + std::string(program_path) + "\"" : std::string(program_path);
  const std::string account = XmlText(user);
  // ExecutionTimeLimit PT0S: the program runs until the user ends it (the scheduler's own
  // default stops a task after three days).
  return R"(<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo>
    <Author>)" +
         std::string(kProductName) + R"(</Author>
    <Description>Starts Morvel in the notification area when you log on.</Description>
  </RegistrationInfo>
  <Triggers>
    <LogonTrigger>
      <Enabled>true</Enabled>
      <UserId>)" +
         account + R"(</UserId>
    </LogonTrigger>
  </Triggers>
  <Principals>
    <Principal id="Author">
      <UserId>)" +
         account + R"(</UserId>
      <LogonType>InteractiveToken</LogonType>
      <RunLevel>HighestAvailable</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <AllowHardTerminate>true</AllowHardTerminate>
    <StartWhenAvailable>false</StartWhenAvailable>
    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>
    <AllowStartOnDemand>true</AllowStartOnDemand>
    <Enabled>true</Enabled>
    <Hidden>false</Hidden>
    <RunOnlyIfIdle>false</RunOnlyIfIdle>
    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>
  </Settings>
  <Actions Context="Author">
    <Exec>
      <Command>)" +
         XmlText(command) + R"(</Command>
      <Arguments>)" +
         std::string(kStartSwitch) + R"(</Arguments>
    </Exec>
  </Actions>
</Task>
)";
}

std::string RunValueData(std::string_view program_path) {
  return "\"" + std::string(program_path) + "\" " + std::string(kStartSwitch);
}

bool Autorun::IsOn() const {
  if (tasks_.Exists(kProductName).value) return true;
  const auto value = platform::ReadText(registry_, kUser, kRunKey, kProductName);
  return value && value->find(kStartSwitch) != std::string::npos;
}

platform::Status Autorun::RemoveRunValue() {
  return registry_.DeleteValue(kUser, kRunKey, kProductName);
}

std::optional<std::string> Autorun::Set(bool on, std::string_view program_path) {
  if (tasks_.Available()) {
    if (on) {
      const platform::Status registered =
          tasks_.Register(kProductName, LogonTaskXml(program_path, tasks_.CurrentUser()));
      // Without its task, an older Run value is what there is: it stays.
      if (!registered) return Refusal(on, "the Task Scheduler", registered);
    } else if (const platform::Status removed = tasks_.Remove(kProductName);
               !DoneOrAbsent(removed)) {
      return Refusal(on, "the Task Scheduler", removed);
    }
    if (const platform::Status gone = RemoveRunValue(); !DoneOrAbsent(gone))
      return Refusal(on, "the registry", gone);
    return std::nullopt;
  }
  const platform::Status status =
      on ? registry_.WriteValue(kUser, kRunKey,
                                platform::RegistryValue::MakeString(std::string(kProductName),
                                                                    RunValueData(program_path)))
         : RemoveRunValue();
  if (on ? !status.ok() : !DoneOrAbsent(status)) return Refusal(on, "the registry", status);
  return std::nullopt;
}

}  // namespace morvel::app
