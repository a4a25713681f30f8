#pragma once
// Files and folders. Paths are Windows paths in UTF-8 ("C:\Users\User\file.txt"),
// resolved without regard to letter case; names come back in the case they were created with.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace morvel::platform {

// File attribute bits with their Windows values.
namespace attr {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t ReparsePoint = 0x400;  // symbolic link or junction
}  // namespace attr

struct FileEntry {
  std::string name;  // the name alone, never "." or ".."
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;  // 0 for folders
  // Last write time as a Windows FILETIME (100 ns since 1601-01-01 UTC).
  std::uint64_t last_write = 0;

  [[nodiscard]] bool IsFolder() const { return (attributes & attr::Directory) != 0; }
  [[nodiscard]] bool IsReparsePoint() const { return (attributes & attr::ReparsePoint) != 0; }
};

// An open file read at computed offsets. Opened with sharing for reading and writing, so
// a file another program holds open (a browser's index.dat) can still be read. The file
// stays open until the reader is destroyed.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // The length when it was opened.
  [[nodiscard]] virtual std::uint64_t Size() const = 0;
  // Reads up to buffer.size() bytes at `offset`; returns how many were read: fewer at the
  // end of the file, 0 at or past it.
  [[nodiscard]] virtual Result<std::size_t> ReadAt(std::uint64_t offset,
                                                   std::span<std::byte> buffer) const = 0;
};

// A file opened for reading and writing with no sharing: nobody else can open it until
// the writer is destroyed.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  [[nodiscard]] virtual Result<std::uint64_t> Size() const = 0;
  // Writes all of `bytes` at `offset`; the file grows when they reach past its end.
  virtual Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) = 0;
  // To the disk (FlushFileBuffers / fsync).
  virtual Status Flush() = 0;
  // How many names (hard links) the open file has; 1 for an ordinary file.
  [[nodiscard]] virtual Result<std::uint32_t> LinkCount() const = 0;
};

// How a file of a held folder is opened for a database (FolderHandle::OpenDatabaseFile).
enum class FileOpening {
  Existing,         // the file must be there
  CreateIfMissing,  // made empty when it is not (a journal)
};

// A lock on a byte range of an open file, taken as database libraries take them.
enum class RangeLock { Shared, Exclusive };

// A file of a held folder opened for a database library: read and written at offsets, cut
// to a length, and locked by byte ranges. It is shared for reading and writing with other
// programs (a browser that has the database open), so the byte-range locks, never the
// opening, keep two writers apart; nobody may delete or rename it while it is open.
class DatabaseFile : public FileWriter {
 public:
  // Reads up to buffer.size() bytes at `offset`; returns how many were read: fewer at the
  // end of the file, 0 at or past it.
  [[nodiscard]] virtual Result<std::size_t> ReadAt(std::uint64_t offset,
                                                   std::span<std::byte> buffer) const = 0;
  // Cuts the file to `size` bytes, or extends it with zeros.
  virtual Status Truncate(std::uint64_t size) = 0;
  // Takes a lock on `length` bytes at `offset` without waiting (LockFileEx with
  // LOCKFILE_FAIL_IMMEDIATELY; an open-file-description lock on the emulated machine).
  // InUse when a lock through another open file, of this program or another, conflicts:
  // shared locks go together, an exclusive one goes with none. Locks through this file do
  // not conflict with each other, but a range may not be locked twice through it (the
  // systems differ there). Locks go with the file when it closes.
  virtual Status LockRange(std::uint64_t offset, std::uint64_t length, RangeLock kind) = 0;
  // Gives back the lock taken on exactly this range.
  virtual Status UnlockRange(std::uint64_t offset, std::uint64_t length) = 0;
};

// A folder held open while a cleaner works in it, so that it stays the folder that was
// decided on: its entries are listed, described, deleted and opened by name inside the
// held folder, never by a path that a link planted since could redirect, and a sub-folder
// is entered only as a folder of its own, never through a link. On Windows each folder is
// opened relative to its held parent (NtCreateFile with the parent as RootDirectory and
// FILE_OPEN_REPARSE_POINT) and held without delete sharing, so nobody can rename, remove or
// replace it until the handle goes; the emulated machine works relative to the open
// descriptor (openat with O_NOFOLLOW). A handle must not outlive its file system.
//
// `name` is always a name of this folder alone: "", ".", "..", and names holding "\", "/",
// ":" or a wildcard are refused (NotFound or InvalidArgument), so that nothing built from a
// name reaches another folder or a stream of a file. Letter case is ignored, as Windows
// ignores it.
class FolderHandle {
 public:
  virtual ~FolderHandle() = default;
  // The folder's path: the final path it was opened by, and below it the names it was
  // entered by; no trailing "\" except for a drive root. For the log and the questions
  // only: nothing is ever opened by it.
  [[nodiscard]] virtual const std::string& Path() const = 0;
  // The folder's entries, as FileSystem::Enumerate lists them, read through the handle.
  // A failed listing reports nothing and returns the failure.
  virtual Status Enumerate(const std::function<bool(const FileEntry&)>& visit) const = 0;
  // The entry `name`, described as the listing describes it (a link as the link, with
  // ReparsePoint). NotFound when missing.
  [[nodiscard]] virtual Result<FileEntry> StatEntry(std::string_view name) const = 0;
  // Opens the sub-folder `name` relative to this one and holds it. Link when the entry is
  // a symbolic link or junction, which is never followed (also when one was put in the
  // folder's place since it was listed); AccessDenied for a file; NotFound when missing.
  [[nodiscard]] virtual Result<std::unique_ptr<FolderHandle>> OpenSubFolder(
      std::string_view name) const = 0;
  // Deletes the file `name` as FileSystem::ShellDelete would, opened relative to this
  // folder: read-only, hidden and system files go like any other; a link goes as the link,
  // never what it leads to. AccessDenied for a folder; InUse for a file another program
  // holds without delete sharing; NotFound when missing. (Not called DeleteFile, which
  // windows.h turns into DeleteFileW.)
  virtual Status DeleteListedFile(std::string_view name) = 0;
  // Removes the empty sub-folder `name` as FileSystem::RemoveFolder would; a link to a
  // folder goes as the link. AccessDenied (ERROR_DIRECTORY) for a file or a link to one;
  // Other (ERROR_DIR_NOT_EMPTY) when it holds anything; NotFound when missing.
  virtual Status RemoveSubFolder(std::string_view name) = 0;
  // FileSystem::OpenToOverwrite of the file `name`: exclusive, never through a link (Link).
  // AccessDenied for a read-only file or a folder; InUse when anyone holds it open.
  [[nodiscard]] virtual Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(
      std::string_view name) = 0;
  // FileSystem::OpenForReading of the file `name`, shared for reading, writing and deletion,
  // never through a link (Link): AccessDenied for a folder, NotFound when missing.
  [[nodiscard]] virtual Result<std::unique_ptr<FileReader>> OpenListedFile(
      std::string_view name) const = 0;
  // Opens the file `name` for a database library (DatabaseFile), never through a link, and
  // with CreateIfMissing makes it when it is not there. What was opened is checked on the
  // open handle itself, so nothing put in its place before or during the opening gets
  // through (nor a second name taken away again before the names are counted: on Windows
  // no name of a file open without delete sharing can go; the emulated machine watches the
  // folder's names while it opens): Link for a symbolic link or junction; AccessDenied for a
  // folder, anything else that is not a plain file, or a read-only file; HardLinked for a file with
  // more than one name (its data is another name's too). InUse when another program holds it
  // without sharing reading and writing (on the emulated machine also a file listed as locked);
  // NotFound when it is missing and not to be made.
  [[nodiscard]] virtual Result<std::unique_ptr<DatabaseFile>> OpenDatabaseFile(
      std::string_view name, FileOpening opening) = 0;
};

// A recycle bin as the shell counts it.
struct RecycleBinContents {
  std::int64_t items = 0;
  std::int64_t bytes = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Calls `visit` for each entry of `folder` ("." and ".." left out), in the order NTFS
  // lists them (sorted by upper-cased name), until it returns false. Links are reported
  // with ReparsePoint and are not followed for their attributes. NotFound when the folder
  // is missing; AccessDenied when it is a file.
  virtual Status Enumerate(std::string_view folder,
                           const std::function<bool(const FileEntry&)>& visit) const = 0;

  // The attributes, size and time of one path; NotFound when it is missing. A link is
  // described as the link itself.
  [[nodiscard]] virtual Result<FileEntry> Stat(std::string_view path) const = 0;

  [[nodiscard]] bool Exists(std::string_view path) const { return Stat(path).ok(); }

  // The whole content of a file. NotFound when missing, AccessDenied for a folder,
  // InUse when the file is locked.
  [[nodiscard]] virtual Result<std::string> ReadFile(std::string_view path) const = 0;

  // Replaces the file's content as a whole: the bytes go to a temporary file in the same
  // folder that then takes the file's place, so a crash leaves the old file or the new
  // one, never half of either. The folder must exist (NotFound otherwise).
  virtual Status WriteFile(std::string_view path, std::string_view bytes) = 0;

  // Creates the folder and any missing parents; Ok when it exists already.
  virtual Status CreateFolder(std::string_view path) = 0;

  // Opens a file for reading, shared for reading and writing. NotFound when missing,
  // AccessDenied for a folder; a file in use by another program can still be read. A link
  // opens the file it leads to.
  [[nodiscard]] virtual Result<std::unique_ptr<FileReader>> OpenForReading(
      std::string_view path) const = 0;

  // Opens an existing file for reading and writing with no sharing (CreateFile with
  // GENERIC_READ | GENERIC_WRITE, share 0, OPEN_EXISTING). InUse when another program
  // holds the file open; AccessDenied for a read-only file or a folder; NotFound when
  // missing. Opening and closing it at once is the in-use test.
  [[nodiscard]] virtual Result<std::unique_ptr<FileWriter>> OpenExclusive(
      std::string_view path) = 0;

  // Opens an existing file for reading and writing, shared for reading and writing
  // (CreateFile with GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
  // OPEN_EXISTING): a file another program holds open that way (a browser its index.dat)
  // opens all the same. A link is never written through: opening one is Link.
  // AccessDenied for a read-only file or a folder; NotFound when missing.
  [[nodiscard]] virtual Result<std::unique_ptr<FileWriter>> OpenSharedForWriting(
      std::string_view path) = 0;

  // The path in its short form (GetShortPathName, at most 259 characters); empty text
  // when the call fails (a missing path among them).
  [[nodiscard]] virtual std::string ShortPathName(std::string_view path) const = 0;
  // OpenExclusive for overwriting: a link (symbolic link or junction) is never followed,
  // and opening one is Link, so that nothing a link leads to is written.
  [[nodiscard]] virtual Result<std::unique_ptr<FileWriter>> OpenToOverwrite(
      std::string_view path) = 0;

  // The entry a path leads to, named as Windows names it once the spelling is normalised
  // ("." and "..", separators, trailing dots and blanks, the "\\.\" and "\\?\" forms, the
  // administrative shares of this machine such as "\\localhost\C$") and every link on the
  // way, the last name included, is followed to its final target: "C:\Users\User\Documents"
  // in the case the names were created with, without a trailing "\" except for a drive root
  // ("C:\"); a network path stays "\\server\share\...". Names are as they stand on the
  // disk, so a name with a trailing dot may need LiteralPath to be opened again. NotFound
  // when missing; AccessDenied when a link cannot be followed.
  [[nodiscard]] virtual Result<std::string> FinalPath(std::string_view path) const = 0;

  // Opens the folder `final_path`, a path as FinalPath gives it, to work in it (FolderHandle).
  // No link may stand on the way: one met there (planted since the path was decided) is
  // Link. NotFound when missing; AccessDenied for a file.
  [[nodiscard]] virtual Result<std::unique_ptr<FolderHandle>> OpenFolder(
      std::string_view final_path) = 0;

  // Permanent deletion through the shell (SHFileOperation FO_DELETE, "yes" to every
  // question, nothing to the Recycle Bin). Read-only, hidden and system files go like any
  // other; a folder goes with everything in it. A link is deleted as the link, never what
  // it leads to. Fails (InUse) for a file in use; a folder holding one keeps it and
  // whatever had not been deleted before it. NotFound when missing.
  virtual Status ShellDelete(std::string_view path) = 0;

  // Removes an empty folder (RemoveDirectory); a link to a folder goes as the link.
  // NotFound when missing, AccessDenied for a file, Other (ERROR_DIR_NOT_EMPTY) for a
  // folder that holds anything.
  virtual Status RemoveFolder(std::string_view path) = 0;

  // Asks Windows to delete the file at the next start (MoveFileEx with no destination and
  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT). Windows records it in the
  // REG_MULTI_SZ PendingFileRenameOperations of the key
  // HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, as the pair "\??\<path>", "".
  // NotFound when missing; AccessDenied without administrator rights.
  virtual Status DeleteOnReboot(std::string_view path) = 0;

  // Empties the recycle bins of every drive through the shell: SHEmptyRecycleBinA of
  // Shell32.dll, loaded for the call, with no confirmation, progress window or sound.
  // NotFound when the library or the function is missing; any other failure of the
  // shell's emptying is Other.
  virtual Status EmptyRecycleBins() = 0;

  // What the shell reports for the current user's recycle bin on one drive
  // (SHQueryRecycleBinA of Shell32.dll with the root "<letter>:\\"): deleted items (a
  // deleted folder is one item) and their bytes. NotFound when the library or the
  // function is missing, Other when the shell fails.
  [[nodiscard]] virtual Result<RecycleBinContents> QueryRecycleBin(char letter) const = 0;
};

}  // namespace morvel::platform
