// The emulated files' operations on open files, deletion and deletion at the next start.

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/emulated/emulated_files.h"
#include "platform/emulated/file_errors.h"
#include "platform/emulated/host_files.h"
#include "platform/emulated/host_open_file.h"

namespace morvel::platform::emulated {

namespace {

constexpr std::string_view kSessionManager = R"(SYSTEM\CurrentControlSet\Control\Session Manager)";
constexpr std::string_view kPendingRenames = "PendingFileRenameOperations";

struct Child {
  std::string name;
  struct stat status;
};

// The entries of a host folder that the machine shows, in the order it lists them.
// Entries with names Windows cannot hold are left out: the shell would never see them,
// so they stay (and keep their folder).
int ListChildren(const std::filesystem::path& folder, std::vector<Child>& children) {
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return errno;
  while (const dirent* item = ::readdir(dir.get())) {
    std::string name = item->d_name;
    if (!IsValidWindowsName(name)) continue;
    const auto status = LinkStatus(folder / name);
    if (!status) continue;  // removed while listing
    children.push_back({std::move(name), *status});
  }
  std::sort(children.begin(), children.end(),
            [](const Child& a, const Child& b) { return ListedBefore(a.name, b.name); });
  return 0;
}

// PendingFileRenameOperations with one more pair appended as Windows appends it: the list's
// final terminating zero is dropped, the pair's two strings follow, each ending in a zero,
// and a new final zero closes the list. An empty second string means "delete".
std::vector<std::uint8_t> AppendRenamePair(std::vector<std::uint8_t> data,
                                           std::string_view source) {
  data.resize(data.size() & ~std::size_t{1});  // whole UTF-16 units only
  if (data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0)
    data.resize(data.size() - 2);
  const std::string units = Utf8ToUtf16LeBytes(source);
  data.insert(data.end(), units.begin(), units.end());
  data.insert(data.end(), 6, 0);  // end of the source, the empty destination, end of list
  return data;
}

}  // namespace

Result<EmulatedFiles::HostEntry> EmulatedFiles::ResolveExisting(std::string_view path,
                                                                WindowsPath* as_given) const {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return Fail<HostEntry>(parsed.status);
  if (as_given) *as_given = parsed.value;
  auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved;
  if (!resolved.value.status) return Fail<HostEntry>(FileNotFound());
  return FollowIfLink(std::move(resolved.value));
}

Result<EmulatedFiles::HostEntry> EmulatedFiles::ResolveFile(std::string_view path,
                                                            WindowsPath* as_given) const {
  auto file = ResolveExisting(path, as_given);
  if (file && !S_ISREG(file.value.status->st_mode)) return Fail<HostEntry>(AccessDenied());
  return file;
}

Result<std::unique_ptr<FileReader>> EmulatedFiles::OpenForReading(std::string_view path) const {
  // Shared for reading and writing: a file in use by another program opens all the same.
  const auto file = ResolveFile(path);
  if (!file) return Fail<std::unique_ptr<FileReader>>(file.status);
  return OpenHostReader(file.value.host, open_files_);
}

Result<std::unique_ptr<FileWriter>> EmulatedFiles::OpenExclusive(std::string_view path) {
  WindowsPath as_given;
  const auto file = ResolveFile(path, &as_given);
  if (!file) return Fail<std::unique_ptr<FileWriter>>(file.status);
  // NTFS refuses write access to a read-only file before it looks at who else has it open.
  if ((file.value.status->st_mode & S_IWUSR) == 0)
    return Fail<std::unique_ptr<FileWriter>>(AccessDenied());
  if (facts_.IsLocked(as_given) || facts_.IsLocked(file.value.where))
    return Fail<std::unique_ptr<FileWriter>>(InUse());
  return OpenHostWriter(file.value.host, open_files_);
}

// A file in use by another program opens all the same: its owner shares reading and
// writing, as a browser does with its index.dat.
Result<std::unique_ptr<FileWriter>> EmulatedFiles::OpenSharedForWriting(std::string_view path) {
  return OpenPlainFileToWrite(path, WriterSharing::ReadWrite);
}

// The machine's drives are NTFS volumes made without 8.3 names, where GetShortPathName
// gives the path back as it is. Longer than its 259 characters, it gives nothing.
std::string EmulatedFiles::ShortPathName(std::string_view path) const {
  if (path.size() > 259 || !Exists(path)) return {};
  return std::string(path);
}

Result<std::unique_ptr<FileWriter>> EmulatedFiles::OpenToOverwrite(std::string_view path) {
  return OpenPlainFileToWrite(path, WriterSharing::None);
}

Result<std::unique_ptr<FileWriter>> EmulatedFiles::OpenPlainFileToWrite(std::string_view path,
                                                                        WriterSharing sharing) {
  using Writer = std::unique_ptr<FileWriter>;
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return Fail<Writer>(parsed.status);
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return Fail<Writer>(resolved.status);
  const HostEntry& file = resolved.value;
  if (!file.status) return Fail<Writer>(FileNotFound());
  // The link itself is no file to write, and what it leads to is not this entry's data.
  if (S_ISLNK(file.status->st_mode)) return Fail<Writer>(LinkMet());
  if (!S_ISREG(file.status->st_mode)) return Fail<Writer>(AccessDenied());
  if ((file.status->st_mode & S_IWUSR) == 0) return Fail<Writer>(AccessDenied());
  // A file in use is shared only with a writer that shares it too.
  if (sharing == WriterSharing::None &&
      (facts_.IsLocked(parsed.value) || facts_.IsLocked(file.where)))
    return Fail<Writer>(InUse());
  return OpenHostWriter(file.host, open_files_, sharing);
}

Result<std::unique_ptr<FolderHandle>> EmulatedFiles::OpenFolder(std::string_view final_path) {
  using Handle = std::unique_ptr<FolderHandle>;
  const auto parsed = ParseWindowsPath(final_path);
  if (!parsed) return Fail<Handle>(parsed.status);
  const auto drive = DriveFolder(parsed.value.drive);
  if (!drive) return Fail<Handle>(drive.status);
  return OpenHeldFolder(drive.value, parsed.value, folder_services_);
}

Result<std::string> EmulatedFiles::FinalPath(std::string_view path) const {
  const auto target = ResolveExisting(path);
  if (!target) return Fail<std::string>(target.status);
  return Result<std::string>::Of(target.value.where.ToString());
}

Status EmulatedFiles::DeleteEntry(const std::filesystem::path& host, const WindowsPath& where,
                                  const struct stat& status) {
  if (S_ISLNK(status.st_mode)) return FromErrno(::unlink(host.c_str()) == 0 ? 0 : errno);
  if (!S_ISDIR(status.st_mode)) {
    if (facts_.IsLocked(where) || open_files_->Held({status.st_dev, status.st_ino})) return InUse();
    // The shell says "yes" to deleting a read-only file, and so does unlink(2).
    return FromErrno(::unlink(host.c_str()) == 0 ? 0 : errno);
  }
  std::vector<Child> children;
  if (const int error = ListChildren(host, children); error != 0) return FromErrno(error);
  for (const Child& child : children) {
    WindowsPath below = where;
    below.components.push_back(child.name);
    if (Status deleted = DeleteEntry(host / child.name, below, child.status); !deleted)
      return deleted;
  }
  return FromErrno(::rmdir(host.c_str()) == 0 ? 0 : errno);
}

Status EmulatedFiles::ShellDelete(std::string_view path) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  // A whole drive is never handed to the shell as one deletion.
  if (parsed.value.IsRoot()) return AccessDenied();
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved.status;
  const HostEntry& entry = resolved.value;
  if (!entry.status) return FileNotFound();
  // The name as given may be the one listed as in use while links on the way lead elsewhere.
  if (!S_ISDIR(entry.status->st_mode) && !S_ISLNK(entry.status->st_mode) &&
      facts_.IsLocked(parsed.value))
    return InUse();
  return DeleteEntry(entry.host, entry.where, *entry.status);
}

Status EmulatedFiles::RemoveFolder(std::string_view path) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  if (parsed.value.IsRoot()) return AccessDenied();
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved.status;
  const HostEntry& entry = resolved.value;
  if (!entry.status) return FileNotFound();
  if (S_ISLNK(entry.status->st_mode)) {
    // A link to a folder goes as the link; its folder is not looked into. A link to a file
    // is not a folder. Only the target's type is read, wherever it lies.
    struct stat target {};
    if (::stat(entry.host.c_str(), &target) == 0 && !S_ISDIR(target.st_mode)) return NotAFolder();
    return FromErrno(::unlink(entry.host.c_str()) == 0 ? 0 : errno);
  }
  if (!S_ISDIR(entry.status->st_mode)) return NotAFolder();
  if (::rmdir(entry.host.c_str()) == 0) return Status::Ok();
  // Some hosts say EEXIST for a folder that is not empty.
  return errno == EEXIST ? FolderNotEmpty() : FromErrno(errno);
}

Status EmulatedFiles::DeleteOnReboot(std::string_view path) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved.status;
  if (!resolved.value.status) return FileNotFound();
  // Only an administrator may write the list below HKEY_LOCAL_MACHINE.
  if (!facts_.administrator || registry_ == nullptr) return AccessDenied();

  std::vector<std::uint8_t> data;
  const auto existing =
      registry_->ReadValue(RootKey::LocalMachine, kSessionManager, kPendingRenames);
  if (existing) {
    // Not a list Windows could append to: leave it alone rather than overwrite it.
    if (existing.value.type != ValueType::MultiString) return Status::Error(ErrorKind::Other, 1);
    data = existing.value.data;
  } else if (existing.status.kind != ErrorKind::NotFound) {
    return existing.status;
  }
  const RegistryValue value = RegistryValue::MakeBinary(
      std::string(kPendingRenames),
      AppendRenamePair(std::move(data), "\\??\\" + parsed.value.ToString()),
      ValueType::MultiString);
  return registry_->WriteValue(RootKey::LocalMachine, kSessionManager, value);
}

}  // namespace morvel::platform::emulated
