#include "platform/emulated/emulated_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "common/text.h"
#include "platform/emulated/file_errors.h"
#include "platform/emulated/host_files.h"

namespace morvel::platform::emulated {

namespace {

// A DIR stream of its own over the folder, so that the held descriptor keeps its position.
UniqueDir StreamOf(int folder_fd) {
  const int copy = ::fcntl(folder_fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  UniqueDir dir(::fdopendir(copy));
  if (!dir) {
    ::close(copy);
    return nullptr;
  }
  ::rewinddir(dir.get());
  return dir;
}

}  // namespace

FileEntry DescribeEntry(int folder_fd, std::string name, const struct stat& st) {
  FileEntry entry;
  entry.last_write = ToFileTime(st.st_mtim);
  if (S_ISLNK(st.st_mode)) {
    entry.attributes = attr::ReparsePoint;
    struct stat target {};
    if (::fstatat(folder_fd, name.c_str(), &target, 0) == 0)
      entry.attributes |= S_ISDIR(target.st_mode) ? attr::Directory : attr::Archive;
  } else if (S_ISDIR(st.st_mode)) {
    entry.attributes = attr::Directory;
  } else {
    entry.attributes = attr::Archive;
    if ((st.st_mode & S_IWUSR) == 0) entry.attributes |= attr::ReadOnly;
    entry.size = static_cast<std::uint64_t>(st.st_size);
  }
  entry.name = std::move(name);
  return entry;
}

namespace {

// The name of the entry of the open folder that `name` names without regard to ASCII
// letter case, and its lstat: the exact name when it exists, else the least matching name
// in byte order.
std::optional<std::string> FindNameAt(int folder_fd, std::string_view name, struct stat& st) {
  std::string exact(name);
  if (::fstatat(folder_fd, exact.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return exact;
  const auto dir = StreamOf(folder_fd);
  if (!dir) return std::nullopt;
  const std::optional<std::string> found = LeastNameIgnoringCase(dir.get(), name);
  if (found && ::fstatat(folder_fd, found->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return std::nullopt;  // removed meanwhile
  return found;
}

// The sub-folder `name` of the open folder, opened without following a link.
Result<FileDescriptor> OpenChildFolder(int folder_fd, std::string_view name, std::string& actual) {
  if (!IsValidWindowsName(name)) return {FileDescriptor(-1), FileNotFound()};
  // By the name as given first: one call, which never follows a link and never opens a
  // file. Linux says ENOTDIR for both a file and a link (ELOOP elsewhere): a look tells.
  actual = std::string(name);
  {
    FileDescriptor fd(
        ::openat(folder_fd, actual.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid()) return {std::move(fd), Status::Ok()};
    const int error = errno;
    if (error == ENOTDIR || error == ELOOP) {
      struct stat st {};
      const bool link = ::fstatat(folder_fd, actual.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                        S_ISLNK(st.st_mode);
      return {FileDescriptor(-1), link ? LinkMet() : NotAFolder()};
    }
    if (error != ENOENT) return {FileDescriptor(-1), FromErrno(error)};
  }
  // Another letter case: the name as the folder holds it.
  struct stat st {};
  const auto found = FindNameAt(folder_fd, name, st);
  if (!found) return {FileDescriptor(-1), PathNotFound()};
  actual = *found;
  if (S_ISLNK(st.st_mode)) return {FileDescriptor(-1), LinkMet()};
  if (!S_ISDIR(st.st_mode)) return {FileDescriptor(-1), NotAFolder()};
  // O_NOFOLLOW: swapped for a link since the look above, it is still not entered.
  FileDescriptor fd(
      ::openat(folder_fd, actual.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.valid()) return {std::move(fd), Status::Ok()};
  const int error = errno;
  return {FileDescriptor(-1), error == ELOOP || error == ENOTDIR ? LinkMet() : FromErrno(error)};
}

class HeldFolder final : public FolderHandle {
 public:
  HeldFolder(FileDescriptor fd, WindowsPath where, const FolderServices& services)
      : fd_(std::move(fd)),
        where_(std::move(where)),
        path_(where_.ToString()),
        services_(services) {}

  [[nodiscard]] const std::string& Path() const override { return path_; }

  Status Enumerate(const std::function<bool(const FileEntry&)>& visit) const override {
    std::vector<FileEntry> entries;
    if (const int error = ListFolderAt(fd_.get(), entries); error != 0) return FromErrno(error);
    if (services_.listing_hook) services_.listing_hook(path_);
    for (const FileEntry& entry : entries)
      if (!visit(entry)) break;
    return Status::Ok();
  }

  [[nodiscard]] Result<FileEntry> StatEntry(std::string_view name) const override {
    std::string actual;
    struct stat st {};
    if (Status found = Lookup(name, actual, st); !found) return Fail<FileEntry>(found);
    return Result<FileEntry>::Of(DescribeEntry(fd_.get(), std::move(actual), st));
  }

  [[nodiscard]] Result<std::unique_ptr<FolderHandle>> OpenSubFolder(
      std::string_view name) const override {
    std::string actual;
    auto fd = OpenChildFolder(fd_.get(), name, actual);
    if (!fd) return Fail<std::unique_ptr<FolderHandle>>(fd.status);
    WindowsPath below = where_;
    below.components.push_back(std::move(actual));
    return Result<std::unique_ptr<FolderHandle>>::Of(
        std::make_unique<HeldFolder>(std::move(fd.value), std::move(below), services_));
  }

  Status DeleteListedFile(std::string_view name) override {
    if (!IsValidWindowsName(name)) return FileNotFound();
    // The usual case, with nothing in use anywhere: the name as listed goes at once, one
    // call for the kernel. A folder is refused by the call itself, a link goes as the link.
    if (services_.facts.locked.empty() && services_.open_files->Empty()) {
      const std::string listed(name);
      if (::unlinkat(fd_.get(), listed.c_str(), 0) == 0) return Status::Ok();
      if (errno == EISDIR || errno == EPERM) return AccessDenied();
      if (errno != ENOENT) return FromErrno(errno);
    }
    std::string actual;
    struct stat st {};
    if (Status found = Lookup(name, actual, st); !found) return found;
    if (S_ISDIR(st.st_mode)) return AccessDenied();
    if (!S_ISLNK(st.st_mode) &&
        (IsLocked(actual) || services_.open_files->Held({st.st_dev, st.st_ino})))
      return InUse();
    // The shell says "yes" to deleting a read-only file, and so does unlink(2).
    return FromErrno(::unlinkat(fd_.get(), actual.c_str(), 0) == 0 ? 0 : errno);
  }

  Status RemoveSubFolder(std::string_view name) override {
    if (!IsValidWindowsName(name)) return FileNotFound();
    // A plain folder by the name it was listed with: one call. Anything else is looked at.
    const std::string listed(name);
    if (::unlinkat(fd_.get(), listed.c_str(), AT_REMOVEDIR) == 0) return Status::Ok();
    if (errno == ENOTEMPTY || errno == EEXIST) return FolderNotEmpty();
    std::string actual;
    struct stat st {};
    if (Status found = Lookup(name, actual, st); !found) return found;
    if (S_ISLNK(st.st_mode)) {
      // A link to a folder goes as the link; a link to a file is not a folder.
      struct stat target {};
      if (::fstatat(fd_.get(), actual.c_str(), &target, 0) == 0 && !S_ISDIR(target.st_mode))
        return NotAFolder();
      return FromErrno(::unlinkat(fd_.get(), actual.c_str(), 0) == 0 ? 0 : errno);
    }
    if (!S_ISDIR(st.st_mode)) return NotAFolder();
    if (::unlinkat(fd_.get(), actual.c_str(), AT_REMOVEDIR) == 0) return Status::Ok();
    // Some hosts say EEXIST for a folder that is not empty.
    return errno == EEXIST ? FolderNotEmpty() : FromErrno(errno);
  }

  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(
      std::string_view name) override {
    using Writer = std::unique_ptr<FileWriter>;
    std::string actual;
    struct stat st {};
    if (Status found = Lookup(name, actual, st); !found) return Fail<Writer>(found);
    if (S_ISLNK(st.st_mode)) return Fail<Writer>(LinkMet());
    if (!S_ISREG(st.st_mode)) return Fail<Writer>(AccessDenied());
    // NTFS refuses write access to a read-only file before it looks at who else has it open.
    if ((st.st_mode & S_IWUSR) == 0) return Fail<Writer>(AccessDenied());
    if (IsLocked(actual)) return Fail<Writer>(InUse());
    return OpenHostWriterAt(fd_.get(), actual, services_.open_files);
  }

  [[nodiscard]] Result<std::unique_ptr<DatabaseFile>> OpenDatabaseFile(
      std::string_view name, FileOpening opening) override {
    using File = std::unique_ptr<DatabaseFile>;
    if (!IsValidWindowsName(name)) return Fail<File>(FileNotFound());
    if (services_.opening_hook) services_.opening_hook(path_, name);
    // The name as the folder holds it, or as given for a file to be made. Nothing decided
    // here is trusted: the open itself never follows a link, and what it opened is judged.
    std::string actual(name);
    struct stat st {};
    const bool exists = Lookup(name, actual, st).ok();
    if (!exists && opening == FileOpening::Existing) return Fail<File>(FileNotFound());
    auto file = OpenHostDatabaseFileAt(fd_.get(), actual, opening == FileOpening::CreateIfMissing,
                                       services_.open_files);
    if (file && IsLocked(actual)) return Fail<File>(InUse());
    return file;
  }

  // Shared reading works on a file in use, as it does on Windows.
  [[nodiscard]] Result<std::unique_ptr<FileReader>> OpenListedFile(
      std::string_view name) const override {
    using Reader = std::unique_ptr<FileReader>;
    std::string actual;
    struct stat st {};
    if (Status found = Lookup(name, actual, st); !found) return Fail<Reader>(found);
    if (S_ISLNK(st.st_mode)) return Fail<Reader>(LinkMet());
    return OpenHostReaderAt(fd_.get(), actual, services_.open_files);
  }

 private:
  Status Lookup(std::string_view name, std::string& actual, struct stat& st) const {
    if (!IsValidWindowsName(name)) return FileNotFound();
    const auto found = FindNameAt(fd_.get(), name, st);
    if (!found) return FileNotFound();
    actual = *found;
    return Status::Ok();
  }

  [[nodiscard]] bool IsLocked(const std::string& name) const {
    if (services_.facts.locked.empty()) return false;  // the usual case: no path to build
    WindowsPath path = where_;
    path.components.push_back(name);
    return services_.facts.IsLocked(path);
  }

  FileDescriptor fd_;
  WindowsPath where_;
  std::string path_;
  const FolderServices& services_;
};

}  // namespace

int ListFolderAt(int folder_fd, std::vector<FileEntry>& entries) {
  auto dir = StreamOf(folder_fd);
  if (!dir) return errno != 0 ? errno : EBADF;
  while (const dirent* item = ::readdir(dir.get())) {
    std::string name = item->d_name;
    // A host name Windows cannot hold ("a\b", "x:y") would make any path built from it
    // name a different entry, so such entries are not reported at all.
    if (!IsValidWindowsName(name)) continue;
    // Looked up in the open folder: one name for the kernel to resolve, not a whole path.
    struct stat st {};
    if (::fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // removed
    entries.push_back(DescribeEntry(folder_fd, std::move(name), st));
  }
  std::sort(entries.begin(), entries.end(),
            [](const FileEntry& a, const FileEntry& b) { return ListedBefore(a.name, b.name); });
  return 0;
}

Result<std::unique_ptr<FolderHandle>> OpenHeldFolder(const std::filesystem::path& drive_folder,
                                                     const WindowsPath& path,
                                                     const FolderServices& services) {
  using Handle = std::unique_ptr<FolderHandle>;
  // The drive folder itself may be a link: the image's author put it there.
  FileDescriptor fd(::open(drive_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return Fail<Handle>(PathNotFound());
  WindowsPath where{path.drive, {}};
  for (const std::string& component : path.components) {
    std::string actual;
    auto child = OpenChildFolder(fd.get(), component, actual);
    if (!child) return Fail<Handle>(child.status);
    fd = std::move(child.value);
    where.components.push_back(std::move(actual));
  }
  return Result<Handle>::Of(
      std::make_unique<HeldFolder>(std::move(fd), std::move(where), services));
}

}  // namespace morvel::platform::emulated
