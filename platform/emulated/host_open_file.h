#pragma once
// The emulated machine's open files: a host descriptor behind the port's FileReader and
// FileWriter, and the table of what the machine itself holds open.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/file_system.h"

namespace morvel::platform::emulated {

// The host files the machine's readers and writers hold open. Windows refuses an open or a
// deletion that the sharing of an open handle forbids; this table lets the machine refuse
// the same among its own handles. Readers share reading and writing; a writer shares nothing.
class OpenFiles {
 public:
  using FileId = std::pair<dev_t, ino_t>;

  // Whether a reader may join; counts it when so. False while a writer holds the file.
  bool AddReader(FileId id);
  // Whether a writer may take the file; counts it when so. False while anyone holds it.
  bool AddWriter(FileId id);
  void Remove(FileId id, bool writer);

  // Held by a writer: nothing else may open it.
  [[nodiscard]] bool HeldExclusively(FileId id) const;
  // Held at all: it may be neither replaced nor deleted, since no handle shares deletion.
  [[nodiscard]] bool Held(FileId id) const;
  // Whether the machine holds no file open at all.
  [[nodiscard]] bool Empty() const;

 private:
  struct Holders {
    int readers = 0;
    int writers = 0;
  };
  mutable std::mutex mutex_;
  std::map<FileId, Holders> files_;
};

// Opens a host regular file (never following a link) for reading, shared for reading and
// writing. AccessDenied for anything but a regular file; InUse while a writer holds it.
Result<std::unique_ptr<FileReader>> OpenHostReader(const std::filesystem::path& file,
                                                   std::shared_ptr<OpenFiles> open_files);

// OpenHostReader of the entry `name` of the host folder open as `folder_fd`. A link is
// never followed: opening one is Link.
Result<std::unique_ptr<FileReader>> OpenHostReaderAt(int folder_fd, const std::string& name,
                                                     std::shared_ptr<OpenFiles> open_files);

// Whom a writer lets open the file beside it.
enum class WriterSharing { None, ReadWrite };

// Opens a host regular file (never following a link) for reading and writing, shared with
// nobody or, with ReadWrite, with readers and other sharing writers (counted as a reader).
// AccessDenied for anything but a regular file or when the host refuses writing; InUse
// while the machine holds it open in a way the sharing does not allow.
Result<std::unique_ptr<FileWriter>> OpenHostWriter(const std::filesystem::path& file,
                                                   std::shared_ptr<OpenFiles> open_files,
                                                   WriterSharing sharing = WriterSharing::None);

// OpenHostWriter of the entry `name` of the host folder open as `folder_fd`. A link is
// never followed: opening one is Link.
Result<std::unique_ptr<FileWriter>> OpenHostWriterAt(int folder_fd, const std::string& name,
                                                     std::shared_ptr<OpenFiles> open_files,
                                                     WriterSharing sharing = WriterSharing::None);

// Opens the entry `name` of the host folder open as `folder_fd` for a database library,
// shared for reading and writing (counted as a reader); with `create` a missing file is
// made. Link for a link, AccessDenied for anything but a writable regular file, HardLinked
// for a file with more than one name, all told from the open descriptor; InUse while a
// writer of the machine holds it.
Result<std::unique_ptr<DatabaseFile>> OpenHostDatabaseFileAt(int folder_fd, const std::string& name,
                                                             bool create,
                                                             std::shared_ptr<OpenFiles> open_files);

}  // namespace morvel::platform::emulated
