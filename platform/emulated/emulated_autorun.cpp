#include "platform/emulated/emulated_autorun.h"

#include <string>

#include "common/text.h"

namespace morvel::platform::emulated {

namespace {

class EmulatedLogonTasks final : public LogonTasks {
 public:
  EmulatedLogonTasks(const MachineFacts& facts, FileSystem& files) : facts_(facts), files_(files) {}

  [[nodiscard]] bool Available() const override {
    return facts_.version.family == WindowsFamily::Nt && facts_.version.major >= 6;
  }

  [[nodiscard]] std::string CurrentUser() const override {
    const std::string& profile = facts_.Folder(MachineFolder::Profile);
    return profile.substr(profile.find_last_of('\\') + 1);
  }

  [[nodiscard]] Result<bool> Exists(std::string_view name) const override {
    if (Status refused = Check(name); !refused) return {false, refused};
    const auto entry = files_.Stat(TaskFile(name));
    if (entry.status.kind == ErrorKind::NotFound) return Result<bool>::Of(false);
    if (!entry) return {false, entry.status};
    return Result<bool>::Of(!entry.value.IsFolder());
  }

  Status Register(std::string_view name, std::string_view xml) override {
    if (Status refused = Check(name); !refused) return refused;
    // The scheduler takes a task definition and nothing else.
    if (xml.find("<Task") == std::string_view::npos ||
        xml.find("</Task>") == std::string_view::npos)
      return Status::Error(ErrorKind::InvalidArgument);
    if (Status made = files_.CreateFolder(TasksFolder()); !made) return made;
    // In UTF-16 with a byte-order mark, as Windows keeps its task files.
    return files_.WriteFile(TaskFile(name), "\xFF\xFE" + Utf8ToUtf16LeBytes(xml));
  }

  Status Remove(std::string_view name) override {
    if (Status refused = Check(name); !refused) return refused;
    const auto entry = files_.Stat(TaskFile(name));
    if (!entry) return entry.status;
    if (entry.value.IsFolder()) return Status::Error(ErrorKind::NotFound);  // a task folder
    return files_.ShellDelete(TaskFile(name));
  }

 private:
  // No scheduler, or a name that would reach beyond the root folder's own tasks.
  [[nodiscard]] Status Check(std::string_view name) const {
    if (!Available()) return Status::Error(ErrorKind::NotFound);
    if (name.empty() || name.find_first_of("\\/") != std::string_view::npos || name == "." ||
        name == "..")
      return Status::Error(ErrorKind::InvalidArgument);
    return Status::Ok();
  }
  [[nodiscard]] std::string TasksFolder() const {
    std::string folder = facts_.Folder(MachineFolder::System);
    if (!folder.ends_with('\\')) folder += '\\';
    return folder + "Tasks";
  }
  [[nodiscard]] std::string TaskFile(std::string_view name) const {
    return TasksFolder() + "\\" + std::string(name);
  }

  const MachineFacts& facts_;
  FileSystem& files_;
};

}  // namespace

std::unique_ptr<LogonTasks> MakeEmulatedLogonTasks(const MachineFacts& facts, FileSystem& files) {
  return std::make_unique<EmulatedLogonTasks>(facts, files);
}

}  // namespace morvel::platform::emulated
