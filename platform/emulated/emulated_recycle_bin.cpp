// The emulated machine's recycle bins, as the shell sees them on every fixed drive:
// "\Recycled" (FAT drives) holds the deleted entries with INFO2 and desktop.ini;
// "\RECYCLER" (NTFS, Windows 2000 and XP) and "\$Recycle.Bin" (Windows Vista and later)
// hold one folder per user, each with the deleted entries and desktop.ini (INFO2 in
// RECYCLER, an "$I..." record beside each "$R..." entry in $Recycle.Bin). The emulated
// machine has one user, so every user folder counts as the current user's.

#include <string>
#include <vector>

#include "common/text.h"
#include "platform/emulated/emulated_files.h"

namespace morvel::platform::emulated {

namespace {

enum class BinKind { Flat, PerUser };

struct BinFolder {
  std::string_view name;
  BinKind kind;
};

constexpr BinFolder kBinFolders[] = {{"Recycled", BinKind::Flat},
                                     {"RECYCLER", BinKind::PerUser},
                                     {"$Recycle.Bin", BinKind::PerUser}};

std::string Join(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.ends_with('\\')) path += '\\';
  path += name;
  return path;
}

// The bookkeeping files of a bin, which are not deleted items.
bool IsBookkeeping(std::string_view name) {
  return SameText(name, "desktop.ini") || SameText(name, "INFO2") ||
         (name.size() > 2 && name[0] == '$' && (name[1] == 'I' || name[1] == 'i'));
}

std::vector<FileEntry> List(const FileSystem& files, std::string_view folder) {
  std::vector<FileEntry> entries;
  (void)files.Enumerate(folder, [&](const FileEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  return entries;
}

// The folders of one drive that hold deleted entries directly: the flat bin itself and
// every user folder of the per-user bins. Links are never taken for bins.
std::vector<std::string> UserBins(const FileSystem& files, char letter) {
  std::vector<std::string> bins;
  const std::string root = std::string(1, letter) + ":\\";
  for (const BinFolder& bin : kBinFolders) {
    const std::string folder = root + std::string(bin.name);
    const auto status = files.Stat(folder);
    if (!status || !status.value.IsFolder() || status.value.IsReparsePoint()) continue;
    if (bin.kind == BinKind::Flat) {
      bins.push_back(folder);
      continue;
    }
    for (const FileEntry& user : List(files, folder))
      if (user.IsFolder() && !user.IsReparsePoint()) bins.push_back(Join(folder, user.name));
  }
  return bins;
}

std::uint64_t TreeBytes(const FileSystem& files, const std::string& folder, int depth) {
  std::uint64_t bytes = 0;
  if (depth > 64) return bytes;
  for (const FileEntry& entry : List(files, folder)) {
    if (entry.IsReparsePoint()) continue;
    bytes += entry.IsFolder() ? TreeBytes(files, Join(folder, entry.name), depth + 1) : entry.size;
  }
  return bytes;
}

}  // namespace

Status EmulatedFiles::EmptyRecycleBins() {
  // Like the shell, empty what can be emptied and go on past what cannot.
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (facts_.Drive(letter) != DriveType::Fixed) continue;
    for (const std::string& bin : UserBins(*this, letter))
      for (const FileEntry& entry : List(*this, bin))
        if (!SameText(entry.name, "desktop.ini")) (void)ShellDelete(Join(bin, entry.name));
  }
  return Status::Ok();
}

Result<RecycleBinContents> EmulatedFiles::QueryRecycleBin(char letter) const {
  RecycleBinContents contents;
  if (facts_.Drive(letter) != DriveType::Fixed) return Result<RecycleBinContents>::Of(contents);
  for (const std::string& bin : UserBins(*this, letter)) {
    for (const FileEntry& entry : List(*this, bin)) {
      if (entry.IsReparsePoint() || IsBookkeeping(entry.name)) continue;
      ++contents.items;
      contents.bytes += static_cast<std::int64_t>(
          entry.IsFolder() ? TreeBytes(*this, Join(bin, entry.name), 0) : entry.size);
    }
  }
  return Result<RecycleBinContents>::Of(contents);
}

}  // namespace morvel::platform::emulated
