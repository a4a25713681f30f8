#include "platform/emulated/host_open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/emulated/file_errors.h"
#include "platform/emulated/host_files.h"

namespace morvel::platform::emulated {

namespace {

constexpr auto kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

// O_NONBLOCK keeps a FIFO put in the file's place from blocking the open; it changes
// nothing for a regular file, which is all that is accepted once opened.
Result<FileDescriptor> OpenRegular(const std::filesystem::path& file, int mode,
                                   struct stat& status) {
  FileDescriptor fd(::open(file.c_str(), mode | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.valid()) {
    const int error = errno;
    return {FileDescriptor(-1), error == ELOOP ? AccessDenied() : FromErrno(error)};
  }
  if (::fstat(fd.get(), &status) != 0) return {FileDescriptor(-1), FromErrno(errno)};
  if (!S_ISREG(status.st_mode)) return {FileDescriptor(-1), AccessDenied()};
  return {std::move(fd), Status::Ok()};
}

class HostFileReader final : public FileReader {
 public:
  HostFileReader(FileDescriptor fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

  [[nodiscard]] std::uint64_t Size() const override { return size_; }

  [[nodiscard]] Result<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::byte> buffer) const override {
    std::size_t done = 0;
    while (done < buffer.size() && offset <= kMaxOffset - done) {
      const ssize_t n = ::pread(fd_.get(), buffer.data() + done, buffer.size() - done,
                                static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return Fail<std::size_t>(FromErrno(errno));
      }
      if (n == 0) break;  // the end of the file
      done += static_cast<std::size_t>(n);
    }
    return Result<std::size_t>::Of(done);
  }

 private:
  FileDescriptor fd_;
  std::uint64_t size_;
};

class HostFileWriter final : public FileWriter {
 public:
  explicit HostFileWriter(FileDescriptor fd) : fd_(std::move(fd)) {}

  [[nodiscard]] Result<std::uint64_t> Size() const override {
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) return Fail<std::uint64_t>(FromErrno(errno));
    return Result<std::uint64_t>::Of(static_cast<std::uint64_t>(status.st_size));
  }

  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (offset > kMaxOffset || bytes.size() > kMaxOffset - offset)
      return Status::Error(ErrorKind::InvalidArgument, 87);
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

  Status Flush() override { return ::fsync(fd_.get()) == 0 ? Status::Ok() : FromErrno(errno); }

 private:
  FileDescriptor fd_;
};

}  // namespace

Result<std::unique_ptr<FileReader>> OpenHostReader(const std::filesystem::path& file) {
  struct stat status {};
  auto fd = OpenRegular(file, O_RDONLY, status);
  if (!fd) return Fail<std::unique_ptr<FileReader>>(fd.status);
  return Result<std::unique_ptr<FileReader>>::Of(std::make_unique<HostFileReader>(
      std::move(fd.value), static_cast<std::uint64_t>(status.st_size)));
}

Result<std::unique_ptr<FileWriter>> OpenHostWriter(const std::filesystem::path& file) {
  struct stat status {};
  auto fd = OpenRegular(file, O_RDWR, status);
  if (!fd) return Fail<std::unique_ptr<FileWriter>>(fd.status);
  return Result<std::unique_ptr<FileWriter>>::Of(
      std::make_unique<HostFileWriter>(std::move(fd.value)));
}

}  // namespace morvel::platform::emulated
