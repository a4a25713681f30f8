#include "platform/emulated/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <random>

#include "common/text.h"

namespace morvel::platform::emulated {

namespace {

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

constexpr std::string_view kTemporaryPrefix = ".morvel-write-";
constexpr std::string_view kTemporarySuffix = ".tmp";

// The record of one temporary file: a file of the journal folder named as the temporary,
// holding its whole host path. Made before the temporary, so that a kill at any later point
// leaves a record to find it by; removed once the write is over.
class TemporaryRecord {
 public:
  explicit TemporaryRecord(std::filesystem::path journal) : journal_(std::move(journal)) {}
  TemporaryRecord(const TemporaryRecord&) = delete;
  TemporaryRecord& operator=(const TemporaryRecord&) = delete;
  ~TemporaryRecord() { Drop(); }

  // 0, EEXIST when a record of that name exists, or another errno.
  int Make(const std::filesystem::path& temp) {
    Drop();
    if (journal_.empty()) return 0;
    std::filesystem::path record = journal_ / temp.filename();
    // Another writer that just finished removes the folder once it is empty, which may fall
    // between making it and opening the record: make it again then.
    int opened = -1;
    for (int attempt = 0; attempt < 3 && opened < 0; ++attempt) {
      if (::mkdir(journal_.c_str(), 0777) != 0 && errno != EEXIST) return errno;
      opened = ::open(record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (opened < 0 && errno != ENOENT) return errno;
    }
    if (opened < 0) return ENOENT;
    const FileDescriptor fd(opened);
    record_ = std::move(record);
    return WriteAll(fd.get(), std::filesystem::absolute(temp).string());
  }

  void Drop() {
    if (record_.empty()) return;
    ::unlink(record_.c_str());
    ::rmdir(journal_.c_str());  // only once no other write is under way
    record_.clear();
  }

 private:
  std::filesystem::path journal_;
  std::filesystem::path record_;
};

// A new, exclusively created file beside `file`, named ".morvel-write-<pid>-<number>.tmp":
// short whatever `file` is called, and telling which process wrote it, so that one left by
// a writer that was killed can be told from one being written.
FileDescriptor CreateTemporaryBeside(const std::filesystem::path& file,
                                     std::filesystem::path& temp_path, int& error,
                                     TemporaryRecord& record) {
  std::random_device random;
  const std::string prefix = std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path =
        file.parent_path() / (prefix + std::to_string(random()) + std::string(kTemporarySuffix));
    error = record.Make(temp_path);
    if (error == EEXIST) continue;
    if (error != 0) return FileDescriptor(-1);
    FileDescriptor fd(::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) return fd;
    if (errno != EEXIST) {
      error = errno;
      return FileDescriptor(-1);
    }
  }
  error = EEXIST;
  return FileDescriptor(-1);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool ProcessIsAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::optional<pid_t> TemporaryWriter(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return std::nullopt;
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || !AllDigits(name.substr(0, dash)) ||
      !AllDigits(name.substr(dash + 1)) || dash > 9)
    return std::nullopt;
  const pid_t pid = static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
  if (pid <= 0) return std::nullopt;
  return pid;
}

std::filesystem::path TemporaryJournalOf(const std::filesystem::path& image) {
  return image / ".morvel-writes";
}

void RemoveStaleTemporaries(const std::filesystem::path& journal) {
  UniqueDir dir(::opendir(journal.c_str()));
  if (!dir) return;
  while (const dirent* item = ::readdir(dir.get())) {
    const std::string name = item->d_name;
    const auto writer = TemporaryWriter(name);
    if (!writer || ProcessIsAlive(*writer)) continue;
    const std::filesystem::path record = journal / name;
    std::string recorded;
    const auto record_status = LinkStatus(record);
    if (!record_status || !S_ISREG(record_status->st_mode)) continue;
    if (ReadWholeFile(record, recorded) == 0) {
      // Only the very file the record names, and only while it is a plain file of that name.
      const std::filesystem::path temp(recorded);
      const auto status = LinkStatus(temp);
      if (temp.filename() == name && status && S_ISREG(status->st_mode)) ::unlink(temp.c_str());
    }
    ::unlink(record.c_str());
  }
  dir.reset();
  ::rmdir(journal.c_str());
}

int FileDescriptor::Close() {
  if (fd_ < 0) return 0;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

std::optional<struct stat> LinkStatus(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return st;
}

std::optional<std::string> FindEntryIgnoringCase(const std::filesystem::path& folder,
                                                 std::string_view name) {
  if (LinkStatus(folder / std::string(name))) return std::string(name);
  const UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  return LeastNameIgnoringCase(dir.get(), name);
}

bool ListedBefore(std::string_view a, std::string_view b) {
  const int order = CompareUpper(a, b);
  return order != 0 ? order < 0 : a < b;
}

std::optional<std::string> LeastNameIgnoringCase(DIR* listing, std::string_view name) {
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (SameText(candidate, name) && (!best || candidate < *best)) best = std::string(candidate);
  }
  return best;
}

int WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                        const std::filesystem::path& journal) {
  std::filesystem::path temp_path;
  int error = 0;
  TemporaryRecord record(journal);
  FileDescriptor fd = CreateTemporaryBeside(file, temp_path, error, record);
  if (!fd.valid()) return error;

  const auto old = LinkStatus(file);
  if (old && S_ISREG(old->st_mode)) (void)::fchmod(fd.get(), old->st_mode & 07777);
  error = WriteAll(fd.get(), bytes);
  if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
  const int close_error = fd.Close();
  if (error == 0) error = close_error;
  if (error == 0 && ::rename(temp_path.c_str(), file.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp_path.c_str());
    return error;
  }
  // The rename itself is durable only once the folder is flushed too.
  FileDescriptor folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
  return 0;
}

int ReadWholeFile(const std::filesystem::path& file, std::string& out) {
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid()) return errno;
  out.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

std::uint64_t ToFileTime(const struct timespec& time) {
  constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
  const std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  return static_cast<std::uint64_t>(seconds) * 10000000ULL +
         static_cast<std::uint64_t>(time.tv_nsec / 100);
}

}  // namespace morvel::platform::emulated
