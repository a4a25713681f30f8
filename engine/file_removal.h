#pragma once
// The file removal primitives: the only code that deletes files. Every cleaner hands them
// one file, one folder to empty, or one folder with a name mask. In Test mode they only
// list and count; otherwise they delete, after overwriting each file's contents when the
// settings ask for it. They log one line per file (unless Fast Mode is on), report
// progress at most every 2 seconds, and ask before emptying a drive root or a folder that
// is or holds the user's profile, My Documents or My Pictures (the Pictures folder, and
// the one inside Documents where Windows XP kept it).
//
// Every folder a scan works in passes the one door of folder_guard.h and is held open
// while its entries go: a folder named by a program (every caller but the user's custom
// list) that is or holds one of the user's own folders is skipped with a line. A scan
// never follows a symbolic link or junction inside the folder: such an entry is neither
// counted nor removed, and a sub-folder swapped for one while the scan runs is skipped
// with a line, so a link cannot lead the cleaner out of the folder. Names that
// could address anything but an entry of the folder itself ("", ".", "..", or with "\",
// "/" or ":") are skipped as well. Only absolute folder paths are scanned: "C:\..." (a
// bare "C:" stands for "C:\") or a network path "\\server\share\...".

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/folder_guard.h"
#include "engine/run_context.h"

namespace morvel {

// Whether a name from a folder listing can only name an entry of that folder: not empty,
// ".", ".." nor holding "\\", "/" or ":". Scans skip any other name.
bool IsPlainName(std::string_view name);

// Removes one file permanently through the shell, after overwriting it when the settings
// ask for it and the file is not in use. Writes "<prefix>deleting <path>" first when `log`
// is on and Fast Mode off. True when the file counts as removed: always in Test mode
// (nothing is touched), otherwise exactly when the shell deleted it.
bool RemoveFile(RunContext& run, std::string_view path, bool log);

// RemoveFile for the file `name` of a folder held open by the door, logged as
// `shown_folder` (with its trailing "\") and the name: overwritten and deleted in that very
// folder, never through a link.
bool RemoveHeldFile(RunContext& run, platform::FolderHandle& folder, std::string_view name,
                    std::string_view shown_folder, bool log);

// Whether another program holds the file (it cannot be opened exclusively for reading and
// writing). A read-only file counts as in use; a missing file does not.
bool IsFileInUse(RunContext& run, std::string_view path);

// Overwrites the whole file `passes` times, each pass with one byte value drawn from 0 to
// 254, flushed to the disk; the length stays. Any failure (the file missing or in use, a
// file of 2 GB or more, a write error) ends it silently. Does nothing in Test mode. A link
// is never written through, and a file with more than one name (hard link) is not written
// at all: its data belongs to the other names too.
void WipeFile(RunContext& run, std::string_view path, int passes);

// The removal primitives' Yes/No question (caption "Morvel", information icon, No the
// default) before they take what the user may not have meant, such as a drive root; true
// for Yes. The worker waits for the answer.
bool AskBeforeRemoving(RunContext& run, const std::string& text);

// Removes every file of `folder` and of its sub-folders, except files named `keep_name`
// (ignoring case; empty keeps nothing), removes the emptied sub-folders, and `folder`
// itself when `remove_folder`. Adds one to `item_count` per removed file and returns the
// bytes removed. Missing folders, the path "\" and a stopped run give 0.
// `origin` tells whether the folder came from the user's own list or from a program.
std::uint64_t CleanFolder(RunContext& run, std::string_view folder, bool remove_folder, bool log,
                          std::string_view keep_name, std::int32_t& item_count,
                          FolderOrigin origin = FolderOrigin::Program);

// CleanFolder's step for a sub-folder: the same, always removing `folder` when emptied.
std::uint64_t CleanSubFolder(RunContext& run, std::string_view folder, std::int32_t& item_count,
                             bool log, std::string_view keep_name,
                             FolderOrigin origin = FolderOrigin::Program);

// CleanSubFolder of the sub-folder `name` of a held folder (named `shown_parent` in the
// log), entered inside it and never through a link.
std::uint64_t CleanHeldSubFolder(RunContext& run, platform::FolderHandle& parent,
                                 std::string_view shown_parent, std::string_view name,
                                 std::int32_t& item_count, bool log);

// CleanFolder of a held folder (named `shown` in the log), which stays, as do the files
// directly in it named in `top_keep_names` (ignoring case).
std::uint64_t CleanHeldFolder(RunContext& run, std::unique_ptr<platform::FolderHandle> folder,
                              std::string_view shown, bool log,
                              std::span<const std::string_view> top_keep_names,
                              std::int32_t& item_count);

// Removes the files of `folder` whose names match `mask` (see name_mask.h), logging each,
// and with `recurse` those of all sub-folders too. Never removes a folder.
std::uint64_t CleanFolderByMask(RunContext& run, std::string_view folder, std::string_view mask,
                                std::int32_t& item_count, bool recurse,
                                FolderOrigin origin = FolderOrigin::Program);

// Removes the one file of `folder` whose name is `name` without regard to letter case,
// as Windows resolves names (memory.dmp is Windows' MEMORY.DMP): CleanFolderByMask with
// the name the file really has. Nothing when no such file exists.
std::uint64_t CleanFileByName(RunContext& run, std::string_view folder, std::string_view name,
                              std::int32_t& item_count);

}  // namespace morvel
