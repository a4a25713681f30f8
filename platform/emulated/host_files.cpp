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

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

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

// A new, exclusively created file beside `file`, named ".morvel-write-<pid>-<number>.tmp":
// easy to recognise, short whatever `file` is called, and telling which process wrote it,
// so that one left by a writer that was killed can be told from one being written.
FileDescriptor CreateTemporaryBeside(const std::filesystem::path& file,
                                     std::filesystem::path& temp_path, int& error) {
  std::random_device random;
  const std::string prefix = std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path =
        file.parent_path() / (prefix + std::to_string(random()) + std::string(kTemporarySuffix));
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

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Links are not followed: what lies behind them is not the image's own.
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const auto writer = TemporaryWriter(it->path().filename().string());
    if (!writer || ProcessIsAlive(*writer)) continue;
    const auto status = LinkStatus(it->path());
    if (status && S_ISREG(status->st_mode)) ::unlink(it->path().c_str());
  }
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
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (SameText(candidate, name) && (!best || candidate < *best)) best = std::string(candidate);
  }
  return best;
}

int WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
  std::filesystem::path temp_path;
  int error = 0;
  FileDescriptor fd = CreateTemporaryBeside(file, temp_path, error);
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
