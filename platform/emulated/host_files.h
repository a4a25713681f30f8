#pragma once
// The few host (POSIX) file operations the emulated machine is built on.

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace morvel::platform::emulated {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~FileDescriptor() { Close(); }
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }
  // The errno of close(2), or 0.
  int Close();

 private:
  int fd_;
};

// lstat(2): describes a symbolic link itself. nullopt when the path is missing or cannot
// be examined.
std::optional<struct stat> LinkStatus(const std::filesystem::path& path);

// A folder listing closed on every path out of a function.
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// The order the machine lists a folder's entries in: as Windows' upper-case comparison
// has them, names equal that way in byte order.
bool ListedBefore(std::string_view a, std::string_view b);

// The least name in byte order that the listing holds and that matches `name` without
// regard to ASCII letter case ("." and ".." never do); nullopt when none does.
std::optional<std::string> LeastNameIgnoringCase(DIR* listing, std::string_view name);

// The name of the entry of host folder `folder` that matches `name` without regard to
// ASCII letter case: the exact name when it exists, else the least matching name in byte
// order so that the choice is stable. nullopt when none matches or the folder cannot be read.
std::optional<std::string> FindEntryIgnoringCase(const std::filesystem::path& folder,
                                                 std::string_view name);

// The folder of an image where WriteFileAtomically records each temporary file before it
// makes it (and drops the record once the write is over), so that one left by a write that
// was killed can be found and removed, and nothing else: a file of the user's that merely
// has such a name is never touched. The folder exists only while writes are under way.
std::filesystem::path TemporaryJournalOf(const std::filesystem::path& image);

// Replaces `file` with `bytes` atomically: a new file in the same folder
// (".morvel-write-<pid>-<number>.tmp") is recorded in `journal` (unless it is empty), written,
// flushed to disk and renamed over `file`. An existing file's permissions carry over.
// Returns 0 or the errno of the step that failed; no temporary file is left behind, unless
// the process is killed meanwhile.
int WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                        const std::filesystem::path& journal = {});

// The process that wrote a temporary file of WriteFileAtomically named `name`; nullopt
// for any other name.
std::optional<pid_t> TemporaryWriter(std::string_view name);

// Removes the temporary files recorded in `journal` whose writing process has ended (a link
// or folder in a temporary's place stays), and their records: a killed write leaves
// nothing behind once the image is opened again.
void RemoveStaleTemporaries(const std::filesystem::path& journal);

// Reads a whole host file; the errno on failure.
int ReadWholeFile(const std::filesystem::path& file, std::string& out);

// A host modification time as a Windows FILETIME (100 ns since 1601-01-01 UTC); 0 for a
// time before 1601.
std::uint64_t ToFileTime(const struct timespec& time);

}  // namespace morvel::platform::emulated
