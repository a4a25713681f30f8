#pragma once
// The emulated machine's files: drive X:\ is the host folder IMAGE/drives/X/.
//
// Names resolve without regard to ASCII letter case and keep the case they were created
// with. A host symbolic link is what Windows calls a reparse point: it is reported as one,
// and followed as Windows follows it only while its target lies in one of the machine's
// drive folders, so no operation here reads, writes or lists anything outside them (a link
// leading out, or round in a loop, gives AccessDenied). Deleting never follows a link: a
// link is removed as the link.
//
// Files listed as locked in machine.ini are in use by another program: they cannot be
// opened exclusively, read whole, written or deleted, but can be opened for reading
// (shared). A host file without write permission is read-only. The machine's own open
// readers and writers exclude each other as Windows handles with their sharing would.

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/emulated/emulated_folder.h"
#include "platform/emulated/host_open_file.h"
#include "platform/emulated/machine_facts.h"
#include "platform/emulated/windows_path.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace morvel::platform::emulated {

class EmulatedFiles : public FileSystem {
 public:
  // `facts` must outlive this object: it tells which drives exist and which files are in use.
  // Without a registry, DeleteOnReboot has nowhere to record and fails.
  EmulatedFiles(std::filesystem::path drives_folder, const MachineFacts& facts);
  // `registry` must outlive this object too: deletions at the next start are recorded there.
  EmulatedFiles(std::filesystem::path drives_folder, const MachineFacts& facts, Registry& registry);

  Status Enumerate(std::string_view folder,
                   const std::function<bool(const FileEntry&)>& visit) const override;
  [[nodiscard]] Result<FileEntry> Stat(std::string_view path) const override;
  [[nodiscard]] Result<std::string> ReadFile(std::string_view path) const override;
  Status WriteFile(std::string_view path, std::string_view bytes) override;
  Status CreateFolder(std::string_view path) override;
  [[nodiscard]] Result<std::unique_ptr<FileReader>> OpenForReading(
      std::string_view path) const override;
  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenExclusive(std::string_view path) override;
  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenSharedForWriting(
      std::string_view path) override;
  [[nodiscard]] std::string ShortPathName(std::string_view path) const override;
  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenToOverwrite(std::string_view path) override;
  [[nodiscard]] Result<std::string> FinalPath(std::string_view path) const override;
  [[nodiscard]] Result<std::unique_ptr<FolderHandle>> OpenFolder(
      std::string_view final_path) override;
  Status ShellDelete(std::string_view path) override;
  Status RemoveFolder(std::string_view path) override;
  Status DeleteOnReboot(std::string_view path) override;
  // Every fixed drive's recycle folders lose all their entries but desktop.ini; the
  // folders stay (emulated_recycle_bin.cpp).
  Status EmptyRecycleBins() override;
  [[nodiscard]] Result<RecycleBinContents> QueryRecycleBin(char letter) const override;

  // Where a Windows path lives on the host: the existing entries, matched without regard
  // to case, and the given names for the missing rest. nullopt for a malformed path, a
  // drive the machine lacks, and a path that would pass through a link leading out of the
  // machine. A link named last is not followed: the result is the link itself.
  [[nodiscard]] std::optional<std::filesystem::path> HostPath(std::string_view windows_path) const;

  // Called each time a folder's listing is complete (for tests that change the machine
  // at that very point, as another program could); none by default.
  void SetListingHook(ListingHook hook) { listing_hook_ = std::move(hook); }
  // Called before a held folder opens a file for a database library; none by default.
  void SetOpeningHook(OpeningHook hook) { opening_hook_ = std::move(hook); }

  // Where WriteFile records its temporary files (host_files.h); none by default.
  void SetTemporaryJournal(std::filesystem::path journal) { journal_ = std::move(journal); }

 private:
  struct HostEntry {
    std::filesystem::path host;
    WindowsPath where;                  // where the entry lies, once links are followed
    std::optional<struct stat> status;  // lstat(2); nullopt when the entry is missing
  };

  std::filesystem::path drives_folder_;
  const MachineFacts& facts_;
  Registry* registry_ = nullptr;  // not owned; null when the machine has none
  // Shared with the open readers and writers, which may outlive this object.
  std::shared_ptr<OpenFiles> open_files_ = std::make_shared<OpenFiles>();
  ListingHook listing_hook_;
  OpeningHook opening_hook_;
  std::filesystem::path journal_;
  const FolderServices folder_services_{facts_, open_files_, listing_hook_, opening_hook_};

  [[nodiscard]] Result<std::filesystem::path> DriveFolder(char letter) const;
  // The entry a path names. The last name may be missing (status empty); missing folders
  // on the way are NotFound unless `allow_missing_folders`, when the given names stand in.
  // Links on the way are followed; a link named last is the entry itself.
  [[nodiscard]] Result<HostEntry> Resolve(const WindowsPath& path,
                                          bool allow_missing_folders = false) const;
  // The existing entry a link leads to (lstat status, never a link itself): AccessDenied
  // when it lies outside the drive folders or the link loops, NotFound when it is missing.
  [[nodiscard]] Result<HostEntry> FollowLink(const std::filesystem::path& link) const;
  // `entry` itself, or where it leads when it is a link.
  [[nodiscard]] Result<HostEntry> FollowIfLink(HostEntry entry) const;
  // The existing entry a path names, links followed to the end: NotFound when missing.
  [[nodiscard]] Result<HostEntry> ResolveExisting(std::string_view path,
                                                  WindowsPath* as_given = nullptr) const;
  // ResolveExisting, and AccessDenied for a folder or anything else that is not a file.
  [[nodiscard]] Result<HostEntry> ResolveFile(std::string_view path,
                                              WindowsPath* as_given = nullptr) const;
  // A plain file, never a link, opened to write with `sharing`.
  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenPlainFileToWrite(std::string_view path,
                                                                         WriterSharing sharing);
  // Deletes an entry and, for a folder, everything in it, depth first in listing order;
  // stops at the first failure. Links are removed, never followed.
  Status DeleteEntry(const std::filesystem::path& host, const WindowsPath& where,
                     const struct stat& status);
  // The machine path of a canonical host path, when it lies in one of the drive folders.
  [[nodiscard]] std::optional<WindowsPath> InsideDrives(const std::filesystem::path& host) const;
};

}  // namespace morvel::platform::emulated
