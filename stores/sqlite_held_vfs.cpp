#include "stores/sqlite_held_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string_view>

#include "stores/sqlite_held_file.h"

namespace morvel::stores {

struct HeldFolderVfs::State {
  State(platform::FolderHandle& held, std::string database_name, FileRefusal& refused)
      : folder(held),
        database(std::move(database_name)),
        system(sqlite3_vfs_find(nullptr)),
        refusal(refused) {}

  platform::FolderHandle& folder;
  std::string database;
  sqlite3_vfs* system;  // the library's own VFS: randomness, sleep, time, nameless scratch files
  sqlite3_vfs vfs{};
  std::array<char, 40> name{};
  FileRefusal& refusal;
  bool write_ahead_log = false;

  // Whether `name` is the database or one of the files SQLite keeps beside it.
  [[nodiscard]] bool IsOwnFile(std::string_view name) const {
    if (!name.starts_with(database)) return false;
    const std::string_view suffix = name.substr(database.size());
    return suffix.empty() || suffix == "-journal" || suffix == "-wal" || suffix == "-shm";
  }

  void Refuse(std::string_view file, platform::ErrorKind kind) {
    if (refusal.kind != platform::ErrorKind::None) return;  // the first tells why
    if (kind != platform::ErrorKind::Link && kind != platform::ErrorKind::HardLinked) return;
    refusal = {std::string(file), kind};
  }

  // Whether the main file's header (bytes 18 and 19: 2 for a log) or a log beside it says
  // that the database is kept with a write-ahead log.
  [[nodiscard]] bool HasWriteAheadLog(sqlite3_file* main) const {
    std::array<std::byte, 2> versions{};
    if (main->pMethods->xRead(main, versions.data(), 2, 18) == SQLITE_OK &&
        (versions[0] == std::byte{2} || versions[1] == std::byte{2}))
      return true;
    const auto log = folder.StatEntry(database + "-wal");
    return log.ok() && (log.value.IsReparsePoint() || log.value.size > 0);
  }
};

namespace {

using State = HeldFolderVfs::State;

State& StateOf(sqlite3_vfs* vfs) { return *static_cast<State*>(vfs->pAppData); }

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  State& state = StateOf(vfs);
  file->pMethods = nullptr;
  // SQLite's own scratch files (a spilled statement journal) have no name and belong to no
  // folder: the library keeps them where it keeps its temporary files.
  if (name == nullptr) return state.system->xOpen(state.system, nullptr, file, flags, out_flags);
  const bool own_kind =
      (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL)) != 0;
  if (!own_kind || !state.IsOwnFile(name)) return SQLITE_CANTOPEN;
  const platform::FileOpening opening = (flags & SQLITE_OPEN_CREATE) != 0
                                            ? platform::FileOpening::CreateIfMissing
                                            : platform::FileOpening::Existing;
  auto opened = state.folder.OpenDatabaseFile(name, opening);
  if (!opened.ok() || !opened.value) {
    state.Refuse(name, opened.status.kind);
    return SQLITE_CANTOPEN;
  }
  sqlite_detail::AttachHeldFile(file, std::move(opened.value));
  if ((flags & SQLITE_OPEN_MAIN_DB) != 0) state.write_ahead_log = state.HasWriteAheadLog(file);
  if (out_flags != nullptr) *out_flags = flags;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs* vfs, const char* name, int /*sync_folder*/) {
  State& state = StateOf(vfs);
  if (!state.IsOwnFile(name)) return SQLITE_IOERR_DELETE;
  const platform::Status deleted = state.folder.DeleteListedFile(name);
  if (deleted.ok()) return SQLITE_OK;
  return deleted.kind == platform::ErrorKind::NotFound ? SQLITE_IOERR_DELETE_NOENT
                                                       : SQLITE_IOERR_DELETE;
}

// As SQLite's own VFSes answer: an empty file counts as missing. A link stands there as
// something, so SQLite goes on to open it, and the opening refuses it.
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
  State& state = StateOf(vfs);
  *result = 0;
  if (!state.IsOwnFile(name)) return SQLITE_OK;
  const auto entry = state.folder.StatEntry(name);
  if (!entry.ok()) return SQLITE_OK;
  const bool exists =
      entry.value.IsReparsePoint() || entry.value.IsFolder() || entry.value.size > 0;
  const bool writable = (entry.value.attributes & platform::attr::ReadOnly) == 0;
  *result = exists && (flags != SQLITE_ACCESS_READWRITE || writable) ? 1 : 0;
  return SQLITE_OK;
}

// Names are names of the held folder, already as full as they get.
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  const std::size_t length = std::strlen(name);
  if (size <= 0 || length >= static_cast<std::size_t>(size)) return SQLITE_CANTOPEN;
  std::memcpy(out, name, length + 1);
  return SQLITE_OK;
}

// No extension is ever loaded from a profile folder.
void* DlOpen(sqlite3_vfs*, const char*) { return nullptr; }
void DlError(sqlite3_vfs*, int size, char* out) {
  if (size > 0) std::snprintf(out, static_cast<std::size_t>(size), "%s", "no extensions here");
}
void (*DlSym(sqlite3_vfs*, void*, const char*))(void) { return nullptr; }
void DlClose(sqlite3_vfs*, void*) {}

int Randomness(sqlite3_vfs* vfs, int size, char* out) {
  sqlite3_vfs* system = StateOf(vfs).system;
  return system->xRandomness(system, size, out);
}
int Sleep(sqlite3_vfs* vfs, int microseconds) {
  sqlite3_vfs* system = StateOf(vfs).system;
  return system->xSleep(system, microseconds);
}
int CurrentTime(sqlite3_vfs* vfs, double* now) {
  sqlite3_vfs* system = StateOf(vfs).system;
  return system->xCurrentTime(system, now);
}
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
  sqlite3_vfs* system = StateOf(vfs).system;
  return system->xGetLastError != nullptr ? system->xGetLastError(system, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
  sqlite3_vfs* system = StateOf(vfs).system;
  if (system->iVersion >= 2 && system->xCurrentTimeInt64 != nullptr)
    return system->xCurrentTimeInt64(system, now);
  double days = 0;
  const int result = system->xCurrentTime(system, &days);
  *now = static_cast<sqlite3_int64>(days * 86400000.0);
  return result;
}

}  // namespace

HeldFolderVfs::HeldFolderVfs(platform::FolderHandle& folder, std::string database_name,
                             FileRefusal& refusal)
    : state_(std::make_unique<State>(folder, std::move(database_name), refusal)) {
  if (state_->system == nullptr) throw std::runtime_error("SQLite has no VFS");
  // Unique while this object lives: its own address.
  std::snprintf(state_->name.data(), state_->name.size(), "morvel-held-%p",
                static_cast<void*>(state_.get()));
  sqlite3_vfs& vfs = state_->vfs;
  vfs = sqlite3_vfs{.iVersion = 2,
                    .szOsFile = std::max(sqlite_detail::HeldFileSize(), state_->system->szOsFile),
                    .mxPathname = 512,
                    .pNext = nullptr,
                    .zName = state_->name.data(),
                    .pAppData = state_.get(),
                    .xOpen = Open,
                    .xDelete = Delete,
                    .xAccess = Access,
                    .xFullPathname = FullPathname,
                    .xDlOpen = DlOpen,
                    .xDlError = DlError,
                    .xDlSym = DlSym,
                    .xDlClose = DlClose,
                    .xRandomness = Randomness,
                    .xSleep = Sleep,
                    .xCurrentTime = CurrentTime,
                    .xGetLastError = GetLastError,
                    .xCurrentTimeInt64 = CurrentTimeInt64,
                    .xSetSystemCall = nullptr,
                    .xGetSystemCall = nullptr,
                    .xNextSystemCall = nullptr};
  if (sqlite3_vfs_register(&vfs, 0) != SQLITE_OK)
    throw std::runtime_error("SQLite would not take the held folder's VFS");
}

HeldFolderVfs::~HeldFolderVfs() { sqlite3_vfs_unregister(&state_->vfs); }

const char* HeldFolderVfs::Name() const { return state_->name.data(); }

bool HeldFolderVfs::UsesWriteAheadLog() const { return state_->write_ahead_log; }

}  // namespace morvel::stores
