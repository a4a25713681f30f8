#include "stores/sqlite_held_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

namespace morvel::stores::sqlite_detail {

namespace {

using platform::ErrorKind;
using platform::RangeLock;

// SQLite's lock bytes, where its own VFSes put them (sqlite3PendingByte's default): a
// page of the database is never stored there.
constexpr std::uint64_t kPendingByte = 0x40000000;
constexpr std::uint64_t kReservedByte = kPendingByte + 1;
constexpr std::uint64_t kSharedFirst = kPendingByte + 2;
constexpr std::uint64_t kSharedSize = 510;

// ERROR_DISK_FULL, as both backends report a full disk.
constexpr std::uint32_t kDiskFull = 112;

struct HeldFile : sqlite3_file {
  explicit HeldFile(std::unique_ptr<platform::DatabaseFile> opened) : file(std::move(opened)) {}
  std::unique_ptr<platform::DatabaseFile> file;
  int lock = SQLITE_LOCK_NONE;
};

HeldFile& Held(sqlite3_file* file) { return *static_cast<HeldFile*>(file); }

int Close(sqlite3_file* file) {
  Held(file).~HeldFile();
  return SQLITE_OK;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (amount < 0 || offset < 0) return SQLITE_IOERR_READ;
  const std::span bytes(static_cast<std::byte*>(buffer), static_cast<std::size_t>(amount));
  const auto read = Held(file).file->ReadAt(static_cast<std::uint64_t>(offset), bytes);
  if (!read.ok()) return SQLITE_IOERR_READ;
  if (read.value == bytes.size()) return SQLITE_OK;
  // SQLite wants the part past the end zeroed, and told.
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(read.value), bytes.end(), std::byte{0});
  return SQLITE_IOERR_SHORT_READ;
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  if (amount < 0 || offset < 0) return SQLITE_IOERR_WRITE;
  const std::span bytes(static_cast<const std::byte*>(buffer), static_cast<std::size_t>(amount));
  const platform::Status written =
      Held(file).file->WriteAt(static_cast<std::uint64_t>(offset), bytes);
  if (written.ok()) return SQLITE_OK;
  return written.system_code == kDiskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  if (size < 0) return SQLITE_IOERR_TRUNCATE;
  return Held(file).file->Truncate(static_cast<std::uint64_t>(size)).ok() ? SQLITE_OK
                                                                          : SQLITE_IOERR_TRUNCATE;
}

int Sync(sqlite3_file* file, int /*flags*/) {
  return Held(file).file->Flush().ok() ? SQLITE_OK : SQLITE_IOERR_FSYNC;
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  const auto length = Held(file).file->Size();
  if (!length.ok()) return SQLITE_IOERR_FSTAT;
  *size = static_cast<sqlite3_int64>(length.value);
  return SQLITE_OK;
}

// The failure of a lock that could not be taken: another program holds the database.
int LockFailure(const platform::Status& status) {
  return status.kind == ErrorKind::InUse ? SQLITE_BUSY : SQLITE_IOERR_LOCK;
}

// SQLite's Windows VFS step by step (winLock): a new reader passes the pending byte, which
// a writer about to take the whole database holds, and then shares the shared range; a
// writer takes the reserved byte; the whole database is the shared range taken exclusively,
// with the pending byte kept meanwhile so that no new reader slips in.
int Lock(sqlite3_file* file, int level) {
  HeldFile& held = Held(file);
  if (held.lock >= level) return SQLITE_OK;
  platform::DatabaseFile& f = *held.file;
  int now = held.lock;
  platform::Status status;
  bool got_pending = false;
  if (held.lock == SQLITE_LOCK_NONE ||
      (level == SQLITE_LOCK_EXCLUSIVE && held.lock <= SQLITE_LOCK_RESERVED)) {
    status = f.LockRange(kPendingByte, 1, RangeLock::Exclusive);
    got_pending = status.ok();
  }
  if (status.ok() && level == SQLITE_LOCK_SHARED) {
    status = f.LockRange(kSharedFirst, kSharedSize, RangeLock::Shared);
    if (status.ok()) now = SQLITE_LOCK_SHARED;
  }
  if (status.ok() && level == SQLITE_LOCK_RESERVED) {
    status = f.LockRange(kReservedByte, 1, RangeLock::Exclusive);
    if (status.ok()) now = SQLITE_LOCK_RESERVED;
  }
  if (status.ok() && level == SQLITE_LOCK_EXCLUSIVE) {
    now = SQLITE_LOCK_PENDING;  // the pending byte stays held until the lock is let go
    got_pending = false;
    (void)f.UnlockRange(kSharedFirst, kSharedSize);
    status = f.LockRange(kSharedFirst, kSharedSize, RangeLock::Exclusive);
    if (status.ok()) {
      now = SQLITE_LOCK_EXCLUSIVE;
    } else {
      (void)f.LockRange(kSharedFirst, kSharedSize, RangeLock::Shared);
    }
  }
  if (got_pending && level == SQLITE_LOCK_SHARED) (void)f.UnlockRange(kPendingByte, 1);
  held.lock = now;
  return status.ok() ? SQLITE_OK : LockFailure(status);
}

// winUnlock: down to a reader (SQLITE_LOCK_SHARED) or to nothing.
int Unlock(sqlite3_file* file, int level) {
  HeldFile& held = Held(file);
  platform::DatabaseFile& f = *held.file;
  const int was = held.lock;
  int result = SQLITE_OK;
  if (was >= SQLITE_LOCK_EXCLUSIVE) {
    (void)f.UnlockRange(kSharedFirst, kSharedSize);
    if (level == SQLITE_LOCK_SHARED &&
        !f.LockRange(kSharedFirst, kSharedSize, RangeLock::Shared).ok())
      result = SQLITE_IOERR_UNLOCK;
  }
  if (was >= SQLITE_LOCK_RESERVED) (void)f.UnlockRange(kReservedByte, 1);
  if (level == SQLITE_LOCK_NONE && was >= SQLITE_LOCK_SHARED && was < SQLITE_LOCK_EXCLUSIVE)
    (void)f.UnlockRange(kSharedFirst, kSharedSize);
  if (was >= SQLITE_LOCK_PENDING) (void)f.UnlockRange(kPendingByte, 1);
  held.lock = std::min(level, was);
  return result;
}

// Whether any connection holds the reserved byte, this one included.
int CheckReservedLock(sqlite3_file* file, int* reserved) {
  HeldFile& held = Held(file);
  if (held.lock >= SQLITE_LOCK_RESERVED) {
    *reserved = 1;
    return SQLITE_OK;
  }
  const platform::Status probe = held.file->LockRange(kReservedByte, 1, RangeLock::Shared);
  if (probe.ok()) (void)held.file->UnlockRange(kReservedByte, 1);
  *reserved = probe.ok() ? 0 : 1;
  return probe.ok() || probe.kind == ErrorKind::InUse ? SQLITE_OK : SQLITE_IOERR_CHECKRESERVEDLOCK;
}

int FileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }

// What SQLite's own VFSes answer for a local disk.
int SectorSize(sqlite3_file*) { return 4096; }
int DeviceCharacteristics(sqlite3_file*) { return SQLITE_IOCAP_POWERSAFE_OVERWRITE; }

// Version 1: no shared-memory index, which SQLite then keeps in memory, in exclusive
// locking mode only.
constexpr sqlite3_io_methods kMethods = {
    1,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

int HeldFileSize() { return static_cast<int>(sizeof(HeldFile)); }

void AttachHeldFile(sqlite3_file* slot, std::unique_ptr<platform::DatabaseFile> file) {
  HeldFile* held = new (static_cast<void*>(slot)) HeldFile(std::move(file));
  held->pMethods = &kMethods;
}

}  // namespace morvel::stores::sqlite_detail
