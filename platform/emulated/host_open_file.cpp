#include "platform/emulated/host_open_file.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <string>

#include "platform/emulated/file_errors.h"
#include "platform/emulated/host_files.h"

namespace morvel::platform::emulated {

namespace {

constexpr auto kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

// O_NONBLOCK keeps a FIFO put in the file's place from blocking the open; it changes
// nothing for a regular file, which is all that is accepted once opened.
Result<FileDescriptor> OpenRegular(int folder_fd, const char* file, int mode, struct stat& status) {
  FileDescriptor fd(::openat(folder_fd, file, mode | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
  if (!fd.valid()) {
    const int error = errno;
    return {FileDescriptor(-1), error == ELOOP ? LinkMet() : FromErrno(error)};
  }
  if (::fstat(fd.get(), &status) != 0) return {FileDescriptor(-1), FromErrno(errno)};
  if (!S_ISREG(status.st_mode)) return {FileDescriptor(-1), AccessDenied()};
  return {std::move(fd), Status::Ok()};
}

// The names made, removed or moved in or out of a folder since the watch began (inotify).
class NameWatch {
 public:
  explicit NameWatch(int folder_fd) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (!fd_.valid()) return;
    // The held folder itself, through its descriptor: no path that could lead elsewhere.
    const std::string folder = "/proc/self/fd/" + std::to_string(folder_fd);
    watching_ =
        ::inotify_add_watch(fd_.get(), folder.c_str(),
                            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR) >= 0;
  }

  [[nodiscard]] bool Watching() const { return watching_; }

  // Whether `name` changed since the watch began; true too when changes were lost.
  [[nodiscard]] bool Changed(const std::string& name) const {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(fd_.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // nothing more
      for (const char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if ((event->mask & IN_Q_OVERFLOW) != 0) return true;
        if (event->len > 0 && name == event->name) return true;
        at += sizeof(inotify_event) + event->len;
      }
    }
  }

 private:
  FileDescriptor fd_;
  bool watching_ = false;
};

// OpenRegular of the entry `name` of the folder open as `folder_fd`, sure that the name was
// neither made, removed nor moved while it was opened, so that what `status` says of the
// file (how many names it has above all) held when the name led to it: a second name put
// there for the opening and taken away again at once is seen. With `create` a missing file
// is made anew, which no other name can share. A name that keeps changing is InUse.
// (Windows needs none of this: no name of a file open without delete sharing can go.)
Result<FileDescriptor> OpenSettled(int folder_fd, const std::string& name, int mode, bool create,
                                   struct stat& status) {
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (create) {
      FileDescriptor made(::openat(folder_fd, name.c_str(),
                                   mode | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                                   0666));
      if (made.valid()) {
        if (::fstat(made.get(), &status) != 0) return {FileDescriptor(-1), FromErrno(errno)};
        return {std::move(made), Status::Ok()};
      }
      if (errno != EEXIST) return {FileDescriptor(-1), FromErrno(errno)};
    }
    const NameWatch watch(folder_fd);
    if (!watch.Watching()) return {FileDescriptor(-1), InUse()};
    auto opened = OpenRegular(folder_fd, name.c_str(), mode, status);
    if (watch.Changed(name)) continue;
    // Gone since the look for it: made anew on the next round.
    if (create && opened.status.kind == ErrorKind::NotFound) continue;
    return opened;
  }
  return {FileDescriptor(-1), InUse()};
}

// Reads up to buffer.size() bytes at `offset`, as many as there are.
Result<std::size_t> ReadAll(int fd, std::uint64_t offset, std::span<std::byte> buffer) {
  std::size_t done = 0;
  while (done < buffer.size() && offset <= kMaxOffset - done) {
    const ssize_t n =
        ::pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail<std::size_t>(FromErrno(errno));
    }
    if (n == 0) break;  // the end of the file
    done += static_cast<std::size_t>(n);
  }
  return Result<std::size_t>::Of(done);
}

// The table entry of an open reader or writer, given back when it closes.
class Claim {
 public:
  Claim(std::shared_ptr<OpenFiles> table, OpenFiles::FileId id, bool writer)
      : table_(std::move(table)), id_(id), writer_(writer) {}
  Claim(const Claim&) = delete;
  Claim& operator=(const Claim&) = delete;
  ~Claim() { table_->Remove(id_, writer_); }

 private:
  std::shared_ptr<OpenFiles> table_;
  OpenFiles::FileId id_;
  bool writer_;
};

class HostFileReader final : public FileReader {
 public:
  HostFileReader(FileDescriptor fd, std::uint64_t size, std::unique_ptr<Claim> claim)
      : fd_(std::move(fd)), size_(size), claim_(std::move(claim)) {}

  [[nodiscard]] std::uint64_t Size() const override { return size_; }

  [[nodiscard]] Result<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::byte> buffer) const override {
    return ReadAll(fd_.get(), offset, buffer);
  }

 private:
  FileDescriptor fd_;
  std::uint64_t size_;
  std::unique_ptr<Claim> claim_;
};

// An open regular file written at offsets. Its byte-range locks are open file description
// locks: they belong to this open file as a Windows handle's do, so two opens in this one
// process exclude each other, and closing another descriptor of the file drops none of
// them. They conflict with the classic record locks other programs (SQLite among them) take.
class HostFile final : public DatabaseFile {
 public:
  HostFile(FileDescriptor fd, std::unique_ptr<Claim> claim)
      : fd_(std::move(fd)), claim_(std::move(claim)) {}

  [[nodiscard]] Result<std::uint64_t> Size() const override {
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) return Fail<std::uint64_t>(FromErrno(errno));
    return Result<std::uint64_t>::Of(static_cast<std::uint64_t>(status.st_size));
  }

  [[nodiscard]] Result<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::byte> buffer) const override {
    return ReadAll(fd_.get(), offset, buffer);
  }

  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (offset > kMaxOffset || bytes.size() > kMaxOffset - offset) return InvalidOffset();
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fd_.get(), bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno);
      }
      done += static_cast<std::size_t>(n);
    }
    return Status::Ok();
  }

  Status Truncate(std::uint64_t size) override {
    if (size > kMaxOffset) return InvalidOffset();
    return FromErrno(::ftruncate(fd_.get(), static_cast<off_t>(size)) == 0 ? 0 : errno);
  }

  Status Flush() override { return ::fsync(fd_.get()) == 0 ? Status::Ok() : FromErrno(errno); }

  [[nodiscard]] Result<std::uint32_t> LinkCount() const override {
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) return Fail<std::uint32_t>(FromErrno(errno));
    return Result<std::uint32_t>::Of(static_cast<std::uint32_t>(status.st_nlink));
  }

  Status LockRange(std::uint64_t offset, std::uint64_t length, RangeLock kind) override {
    return SetLock(offset, length, kind == RangeLock::Shared ? F_RDLCK : F_WRLCK);
  }

  Status UnlockRange(std::uint64_t offset, std::uint64_t length) override {
    return SetLock(offset, length, F_UNLCK);
  }

 private:
  static Status InvalidOffset() { return Status::Error(ErrorKind::InvalidArgument, 87); }

  Status SetLock(std::uint64_t offset, std::uint64_t length, short type) {
    // A length of 0 would lock to the end of the file, whatever it grows to.
    if (length == 0 || offset > kMaxOffset || length > kMaxOffset - offset) return InvalidOffset();
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    if (::fcntl(fd_.get(), F_OFD_SETLK, &lock) == 0) return Status::Ok();
    return errno == EAGAIN || errno == EACCES ? InUse() : FromErrno(errno);
  }

  FileDescriptor fd_;
  std::unique_ptr<Claim> claim_;
};

}  // namespace

bool OpenFiles::AddReader(FileId id) {
  const std::lock_guard lock(mutex_);
  Holders& holders = files_[id];
  if (holders.writers > 0) return false;
  ++holders.readers;
  return true;
}

bool OpenFiles::AddWriter(FileId id) {
  const std::lock_guard lock(mutex_);
  Holders& holders = files_[id];
  if (holders.writers > 0 || holders.readers > 0) return false;
  ++holders.writers;
  return true;
}

void OpenFiles::Remove(FileId id, bool writer) {
  const std::lock_guard lock(mutex_);
  const auto it = files_.find(id);
  if (it == files_.end()) return;
  --(writer ? it->second.writers : it->second.readers);
  if (it->second.writers <= 0 && it->second.readers <= 0) files_.erase(it);
}

bool OpenFiles::HeldExclusively(FileId id) const {
  const std::lock_guard lock(mutex_);
  const auto it = files_.find(id);
  return it != files_.end() && it->second.writers > 0;
}

bool OpenFiles::Empty() const {
  const std::lock_guard lock(mutex_);
  return files_.empty();
}

bool OpenFiles::Held(FileId id) const {
  const std::lock_guard lock(mutex_);
  return files_.contains(id);
}

Result<std::unique_ptr<FileReader>> OpenHostReader(const std::filesystem::path& file,
                                                   std::shared_ptr<OpenFiles> open_files) {
  return OpenHostReaderAt(AT_FDCWD, file.string(), std::move(open_files));
}

Result<std::unique_ptr<FileReader>> OpenHostReaderAt(int folder_fd, const std::string& name,
                                                     std::shared_ptr<OpenFiles> open_files) {
  struct stat status {};
  auto fd = OpenRegular(folder_fd, name.c_str(), O_RDONLY, status);
  if (!fd) return Fail<std::unique_ptr<FileReader>>(fd.status);
  const OpenFiles::FileId id{status.st_dev, status.st_ino};
  if (!open_files->AddReader(id)) return Fail<std::unique_ptr<FileReader>>(InUse());
  auto claim = std::make_unique<Claim>(std::move(open_files), id, false);
  return Result<std::unique_ptr<FileReader>>::Of(std::make_unique<HostFileReader>(
      std::move(fd.value), static_cast<std::uint64_t>(status.st_size), std::move(claim)));
}

Result<std::unique_ptr<FileWriter>> OpenHostWriter(const std::filesystem::path& file,
                                                   std::shared_ptr<OpenFiles> open_files,
                                                   WriterSharing sharing) {
  return OpenHostWriterAt(AT_FDCWD, file.string(), std::move(open_files), sharing);
}

Result<std::unique_ptr<FileWriter>> OpenHostWriterAt(int folder_fd, const std::string& name,
                                                     std::shared_ptr<OpenFiles> open_files,
                                                     WriterSharing sharing) {
  struct stat status {};
  // A whole path (AT_FDCWD) is the path door's; a name of a held folder is opened settled.
  auto fd = folder_fd == AT_FDCWD ? OpenRegular(folder_fd, name.c_str(), O_RDWR, status)
                                  : OpenSettled(folder_fd, name, O_RDWR, false, status);
  if (!fd) return Fail<std::unique_ptr<FileWriter>>(fd.status);
  const OpenFiles::FileId id{status.st_dev, status.st_ino};
  const bool exclusive = sharing == WriterSharing::None;
  if (!(exclusive ? open_files->AddWriter(id) : open_files->AddReader(id)))
    return Fail<std::unique_ptr<FileWriter>>(InUse());
  auto claim = std::make_unique<Claim>(std::move(open_files), id, exclusive);
  return Result<std::unique_ptr<FileWriter>>::Of(
      std::make_unique<HostFile>(std::move(fd.value), std::move(claim)));
}

Result<std::unique_ptr<DatabaseFile>> OpenHostDatabaseFileAt(
    int folder_fd, const std::string& name, bool create, std::shared_ptr<OpenFiles> open_files) {
  using File = std::unique_ptr<DatabaseFile>;
  struct stat status {};
  // Whatever stands at the name is judged once it is open: a second name planted between a
  // look and the opening, or for the opening alone, is still seen.
  auto fd = OpenSettled(folder_fd, name, O_RDWR, create, status);
  if (!fd) return Fail<File>(fd.status);
  // A file its owner may not write is read-only: Windows refuses write access to it (the
  // host would not, to a superuser).
  if ((status.st_mode & S_IWUSR) == 0) return Fail<File>(AccessDenied());
  if (status.st_nlink != 1) return Fail<File>(Status::Error(ErrorKind::HardLinked));
  const OpenFiles::FileId id{status.st_dev, status.st_ino};
  if (!open_files->AddReader(id)) return Fail<File>(InUse());
  auto claim = std::make_unique<Claim>(std::move(open_files), id, false);
  return Result<File>::Of(std::make_unique<HostFile>(std::move(fd.value), std::move(claim)));
}

}  // namespace morvel::platform::emulated
