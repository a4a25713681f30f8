#pragma once
// Files and folders. Paths are Windows paths in UTF-8 ("C:\Users\User\file.txt"),
// resolved without regard to letter case; names come back in the case they were created with.

#include <cstdint>
#include <functional>
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
};

}  // namespace morvel::platform
