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
Result<FileDescriptor> OpenRegular(int folder_fd, const char* file, int mode, struct stat& status) {
  FileDescriptor fd(::openat(folder_fd, file, mode | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.valid()) {
    const int error = errno;
    return {FileDescriptor(-1), error == ELOOP ? LinkMet() : FromErrno(error)};
  }
  if (::fstat(fd.get(), &status) != 0) return {FileDescriptor(-1), FromErrno(errno)};
  if (!S_ISREG(status.st_mode)) return {FileDescriptor(-1), AccessDenied()};
  return {std::move(fd), Status::Ok()};
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
  std::unique_ptr<Claim> claim_;
};

class HostFileWriter final : public FileWriter {
 public:
  HostFileWriter(FileDescriptor fd, std::unique_ptr<Claim> claim)
      : fd_(std::move(fd)), claim_(std::move(claim)) {}

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

  [[nodiscard]] Result<std::uint32_t> LinkCount() const override {
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) return Fail<std::uint32_t>(FromErrno(errno));
    return Result<std::uint32_t>::Of(static_cast<std::uint32_t>(status.st_nlink));
  }

 private:
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
  auto fd = OpenRegular(folder_fd, name.c_str(), O_RDWR, status);
  if (!fd) return Fail<std::unique_ptr<FileWriter>>(fd.status);
  const OpenFiles::FileId id{status.st_dev, status.st_ino};
  const bool exclusive = sharing == WriterSharing::None;
  if (!(exclusive ? open_files->AddWriter(id) : open_files->AddReader(id)))
    return Fail<std::unique_ptr<FileWriter>>(InUse());
  auto claim = std::make_unique<Claim>(std::move(open_files), id, exclusive);
  return Result<std::unique_ptr<FileWriter>>::Of(
      std::make_unique<HostFileWriter>(std::move(fd.value), std::move(claim)));
}

}  // namespace morvel::platform::emulated
