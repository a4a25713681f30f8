#include "platform/emulated/host_files.h"

#include <dirent.h>
#include <fcntl.h>
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

// A new, exclusively created file beside `file`, named ".morvel-<number>.tmp" so that a
// stray one is easy to recognise and the name stays short whatever `file` is called.
FileDescriptor CreateTemporaryBeside(const std::filesystem::path& file,
                                     std::filesystem::path& temp_path, int& error) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = file.parent_path() / (".morvel-" + std::to_string(random()) + ".tmp");
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

}  // namespace

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
