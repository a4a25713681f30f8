#pragma once
// Folders of the emulated machine as the scans see them: listed through an open host
// descriptor, and held open (FolderHandle) so that every operation on an entry is made
// relative to the folder that was decided on, never by a path that a link planted since
// could redirect.

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/emulated/host_open_file.h"
#include "platform/emulated/machine_facts.h"
#include "platform/emulated/windows_path.h"
#include "platform/file_system.h"

namespace morvel::platform::emulated {

// Called with a folder's Windows path each time its listing is complete, before any entry
// is reported: the point where a test swaps an entry for a link, as another program could.
using ListingHook = std::function<void(std::string_view folder)>;

// Called with a held folder's Windows path and a file name just before the file is opened
// for a database library (FolderHandle::OpenDatabaseFile): the point where a test puts a
// link or a second name in the file's place, as another program could.
using OpeningHook = std::function<void(std::string_view folder, std::string_view name)>;

// What a held folder needs of its machine; it must outlive every handle.
struct FolderServices {
  const MachineFacts& facts;
  std::shared_ptr<OpenFiles> open_files;
  const ListingHook& listing_hook;
  const OpeningHook& opening_hook;
};

// What Windows would say about the entry `name` of the host folder open as `folder_fd`
// (AT_FDCWD with a whole host path), whose lstat is `st`. A link is described as the link:
// ReparsePoint, plus Directory or Archive after what it points to (nothing more when it
// dangles), with size 0 as FindFirstFile reports it. Reading the target's type touches
// nothing.
FileEntry DescribeEntry(int folder_fd, std::string name, const struct stat& st);

// The entries of the host folder open as `folder_fd`, as Windows reports them (a link as a
// reparse point, sizes of files only), sorted as NTFS lists them. Names Windows cannot hold
// are left out: a path built from one would name another entry. Returns 0 or the errno.
int ListFolderAt(int folder_fd, std::vector<FileEntry>& entries);

// Opens the folder `path` below the host folder `drive_folder` (drive X's folder), name by
// name without following any link: Link when one stands on the way.
Result<std::unique_ptr<FolderHandle>> OpenHeldFolder(const std::filesystem::path& drive_folder,
                                                     const WindowsPath& path,
                                                     const FolderServices& services);

}  // namespace morvel::platform::emulated
