#include "platform/emulated/emulated_files.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "platform/emulated/file_errors.h"
#include "platform/emulated/host_files.h"

namespace morvel::platform::emulated {

namespace {}  // namespace

EmulatedFiles::EmulatedFiles(std::filesystem::path drives_folder, const MachineFacts& facts)
    : drives_folder_(std::move(drives_folder)), facts_(facts) {}

EmulatedFiles::EmulatedFiles(std::filesystem::path drives_folder, const MachineFacts& facts,
                             Registry& registry)
    : drives_folder_(std::move(drives_folder)), facts_(facts), registry_(&registry) {}

Result<std::filesystem::path> EmulatedFiles::DriveFolder(char letter) const {
  if (facts_.Drive(letter) == DriveType::None) return Fail<std::filesystem::path>(PathNotFound());
  const auto name = FindEntryIgnoringCase(drives_folder_, std::string(1, letter));
  if (!name) return Fail<std::filesystem::path>(PathNotFound());
  std::filesystem::path folder = drives_folder_ / *name;
  // The drive folder itself may be a link: the image's author put it there.
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Fail<std::filesystem::path>(PathNotFound());
  return Result<std::filesystem::path>::Of(std::move(folder));
}

std::optional<WindowsPath> EmulatedFiles::InsideDrives(const std::filesystem::path& host) const {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const auto folder = DriveFolder(letter);
    if (!folder) continue;
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(folder.value, error);
    if (error) continue;
    // Name by name, so that drives/C does not hold drives/Cx.
    const auto [rest_of_root, rest] =
        std::mismatch(root.begin(), root.end(), host.begin(), host.end());
    if (rest_of_root != root.end()) continue;
    WindowsPath path;
    path.drive = letter;
    for (auto name = rest; name != host.end(); ++name)
      if (!name->empty()) path.components.push_back(name->string());
    return path;
  }
  return std::nullopt;
}

// Windows follows symbolic links and junctions wherever they lead. The machine follows them
// only into its own drive folders: a host link may point anywhere on the host, and nothing
// outside the image may be reached through the machine.
Result<EmulatedFiles::HostEntry> EmulatedFiles::FollowLink(
    const std::filesystem::path& link) const {
  std::error_code error;
  std::filesystem::path target = std::filesystem::canonical(link, error);
  if (error) {
    // A loop, or a folder on the way that may not be searched.
    if (error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory)
      return Fail<HostEntry>(AccessDenied());
    // The target is missing. Only a target inside the machine is reported as missing: where
    // a link leads out, even the absence of its target is none of the machine's business.
    const std::filesystem::path points_to = std::filesystem::read_symlink(link, error);
    if (!error) target = std::filesystem::weakly_canonical(link.parent_path() / points_to, error);
    if (error || !InsideDrives(target)) return Fail<HostEntry>(AccessDenied());
    return Fail<HostEntry>(FileNotFound());
  }
  auto where = InsideDrives(target);
  if (!where) return Fail<HostEntry>(AccessDenied());
  const auto status = LinkStatus(target);
  if (!status) return Fail<HostEntry>(FileNotFound());  // removed meanwhile
  return Result<HostEntry>::Of(HostEntry{std::move(target), std::move(*where), status});
}

Result<EmulatedFiles::HostEntry> EmulatedFiles::FollowIfLink(HostEntry entry) const {
  if (entry.status && S_ISLNK(entry.status->st_mode)) return FollowLink(entry.host);
  return Result<HostEntry>::Of(std::move(entry));
}

Result<EmulatedFiles::HostEntry> EmulatedFiles::Resolve(const WindowsPath& path,
                                                        bool allow_missing_folders) const {
  auto drive = DriveFolder(path.drive);
  if (!drive) return Fail<HostEntry>(drive.status);
  HostEntry entry{std::move(drive.value), WindowsPath{path.drive, {}}, std::nullopt};
  if (path.IsRoot()) {
    struct stat st {};
    if (::stat(entry.host.c_str(), &st) == 0) entry.status = st;
    return Result<HostEntry>::Of(std::move(entry));
  }

  bool folder_missing = false;
  for (std::size_t i = 0; i < path.components.size(); ++i) {
    const std::string& component = path.components[i];
    const bool last = i + 1 == path.components.size();
    const auto name = folder_missing ? std::nullopt : FindEntryIgnoringCase(entry.host, component);
    if (!name) {
      if (!last && !allow_missing_folders) return Fail<HostEntry>(PathNotFound());
      entry.host /= component;
      entry.where.components.push_back(component);
      folder_missing = true;
      continue;
    }
    entry.host /= *name;
    entry.where.components.push_back(*name);
    entry.status = LinkStatus(entry.host);
    if (last) break;
    if (!entry.status) return Fail<HostEntry>(PathNotFound());  // vanished meanwhile
    if (S_ISLNK(entry.status->st_mode)) {
      auto target = FollowLink(entry.host);
      if (!target) {
        return Fail<HostEntry>(target.status.kind == ErrorKind::NotFound ? PathNotFound()
                                                                         : target.status);
      }
      entry = std::move(target.value);
    }
    if (!S_ISDIR(entry.status->st_mode)) return Fail<HostEntry>(PathNotFound());
  }
  if (folder_missing) entry.status.reset();
  return Result<HostEntry>::Of(std::move(entry));
}

Status EmulatedFiles::Enumerate(std::string_view folder,
                                const std::function<bool(const FileEntry&)>& visit) const {
  const auto path = ParseWindowsPath(folder);
  if (!path) return path.status;
  auto resolved = Resolve(path.value);
  if (!resolved) return resolved.status;
  if (!resolved.value.status) return PathNotFound();
  // A link to a folder lists the folder.
  const auto followed = FollowIfLink(std::move(resolved.value));
  if (!followed) return followed.status;
  if (!S_ISDIR(followed.value.status->st_mode)) return AccessDenied();

  std::vector<FileEntry> entries;
  {
    const FileDescriptor fd(
        ::open(followed.value.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return FromErrno(errno);
    if (const int error = ListFolderAt(fd.get(), entries); error != 0) return FromErrno(error);
  }
  if (listing_hook_) listing_hook_(followed.value.where.ToString());
  for (const FileEntry& entry : entries)
    if (!visit(entry)) break;
  return Status::Ok();
}

Result<FileEntry> EmulatedFiles::Stat(std::string_view path) const {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return Fail<FileEntry>(parsed.status);
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return Fail<FileEntry>(resolved.status);
  if (!resolved.value.status) return Fail<FileEntry>(FileNotFound());
  // Described by its host path, then named as Windows names it.
  FileEntry entry = DescribeEntry(AT_FDCWD, resolved.value.host.string(), *resolved.value.status);
  entry.name = parsed.value.IsRoot() ? std::string() : resolved.value.host.filename().string();
  return Result<FileEntry>::Of(std::move(entry));
}

Result<std::string> EmulatedFiles::ReadFile(std::string_view path) const {
  // A link to a file reads the file. Folders and host oddities such as FIFOs, which would
  // block a read, are not files that can be read here.
  WindowsPath as_given;
  const auto file = ResolveFile(path, &as_given);
  if (!file) return Fail<std::string>(file.status);
  if (facts_.IsLocked(as_given) || facts_.IsLocked(file.value.where) ||
      open_files_->HeldExclusively({file.value.status->st_dev, file.value.status->st_ino}))
    return Fail<std::string>(InUse());
  std::string bytes;
  if (const int error = ReadWholeFile(file.value.host, bytes); error != 0)
    return Fail<std::string>(FromErrno(error));
  return Result<std::string>::Of(std::move(bytes));
}

Status EmulatedFiles::WriteFile(std::string_view path, std::string_view bytes) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  if (parsed.value.IsRoot()) return AccessDenied();
  auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved.status;
  // Writing to a link replaces the file it leads to and leaves the link.
  const auto file = FollowIfLink(std::move(resolved.value));
  if (!file) return file.status;
  return ReplaceFile(parsed.value, file.value, bytes);
}

Status EmulatedFiles::WriteFileNoFollow(std::string_view path, std::string_view bytes) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  if (parsed.value.IsRoot()) return AccessDenied();
  const auto resolved = Resolve(parsed.value);
  if (!resolved) return resolved.status;
  if (resolved.value.status && S_ISLNK(resolved.value.status->st_mode)) return LinkMet();
  // The temporary file takes the name by rename(2), which replaces a link planted there
  // meanwhile as the link.
  return ReplaceFile(parsed.value, resolved.value, bytes);
}

Status EmulatedFiles::ReplaceFile(const WindowsPath& given, const HostEntry& file,
                                  std::string_view bytes) {
  if (const auto& status = file.status) {
    if (!S_ISREG(status->st_mode)) return AccessDenied();
    // Windows refuses to overwrite a read-only file; the host's rename would not.
    if ((status->st_mode & S_IWUSR) == 0) return AccessDenied();
    // Replacing the file needs a deletion that no open handle shares.
    if (open_files_->Held({status->st_dev, status->st_ino})) return InUse();
  }
  if (facts_.IsLocked(given) || facts_.IsLocked(file.where)) return InUse();
  return FromErrno(WriteFileAtomically(file.host, bytes, journal_));
}

Status EmulatedFiles::CreateFolder(std::string_view path) {
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return parsed.status;
  auto drive = DriveFolder(parsed.value.drive);
  if (!drive) return drive.status;
  HostEntry at{std::move(drive.value), WindowsPath{parsed.value.drive, {}}, std::nullopt};
  for (const std::string& component : parsed.value.components) {
    auto name = FindEntryIgnoringCase(at.host, component);
    if (!name) {
      if (::mkdir((at.host / component).c_str(), 0777) == 0) {
        at.host /= component;
        continue;
      }
      if (errno != EEXIST) return FromErrno(errno);
      name = FindEntryIgnoringCase(at.host, component);  // made by someone else meanwhile
      if (!name) return FromErrno(EEXIST);
    }
    at.host /= *name;
    at.status = LinkStatus(at.host);
    if (!at.status) return PathNotFound();
    auto folder = FollowIfLink(std::move(at));
    if (!folder) return folder.status;
    at = std::move(folder.value);
    if (!S_ISDIR(at.status->st_mode)) return FromErrno(EEXIST);
  }
  return Status::Ok();
}

std::optional<std::filesystem::path> EmulatedFiles::HostPath(std::string_view windows_path) const {
  const auto parsed = ParseWindowsPath(windows_path);
  if (!parsed) return std::nullopt;
  auto resolved = Resolve(parsed.value, /*allow_missing_folders=*/true);
  if (!resolved) return std::nullopt;
  return std::move(resolved.value.host);
}

}  // namespace morvel::platform::emulated
