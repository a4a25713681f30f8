#include "platform/win32/win32_folder.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "platform/win32/win32_file_ops.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

// Opens a folder itself, never what a link in its place leads to, and holds it: the
// listing access makes the sharing count (an open for attributes alone would not stop
// anyone), and without FILE_SHARE_DELETE nobody may rename or delete it meanwhile.
Result<UniqueHandle> HoldFolder(const std::string& path) {
  UniqueHandle handle = OwnFile(CreateFileW(
      Wide(LiteralPath(path)).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return FailedWith<UniqueHandle>(GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info))
    return FailedWith<UniqueHandle>(GetLastError());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return FailedWith<UniqueHandle>(kErrorLinkMet);
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return Result<UniqueHandle>::Failed(ErrorKind::AccessDenied, ERROR_DIRECTORY);
  return Result<UniqueHandle>::Of(std::move(handle));
}

std::string Joined(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

class Win32Folder final : public FolderHandle {
 public:
  Win32Folder(UniqueHandle handle, std::string path)
      : handle_(std::move(handle)), path_(std::move(path)) {}

  [[nodiscard]] const std::string& Path() const override { return path_; }

  // Listed by its path, which the held handle keeps naming this very folder.
  Status Enumerate(const std::function<bool(const FileEntry&)>& visit) const override {
    std::vector<FileEntry> entries;
    if (Status listed = ListFolder(Wide(LiteralPath(path_)), entries); !listed) return listed;
    for (const FileEntry& entry : entries)
      if (!visit(entry)) break;
    return Status::Ok();
  }

  [[nodiscard]] Result<std::unique_ptr<FolderHandle>> OpenSubFolder(
      std::string_view name) const override {
    using Handle = std::unique_ptr<FolderHandle>;
    if (!IsName(name)) return FailedWith<Handle>(ERROR_INVALID_NAME);
    std::string path = Joined(path_, name);
    auto held = HoldFolder(path);
    if (!held) return Result<Handle>{nullptr, held.status};
    return Result<Handle>::Of(
        std::make_unique<Win32Folder>(std::move(held.value), std::move(path)));
  }

  Status DeleteListedFile(std::string_view name) override {
    if (!IsName(name)) return StatusOf(ERROR_INVALID_NAME);
    return ShellDeletePath(LiteralPath(Joined(path_, name)), /*files_only=*/true);
  }

  Status RemoveSubFolder(std::string_view name) override {
    if (!IsName(name)) return StatusOf(ERROR_INVALID_NAME);
    return RemoveFolderPath(LiteralPath(Joined(path_, name)));
  }

  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(
      std::string_view name) override {
    if (!IsName(name)) return FailedWith<std::unique_ptr<FileWriter>>(ERROR_INVALID_NAME);
    return OpenToWrite(LiteralPath(Joined(path_, name)), 0);
  }

  [[nodiscard]] Result<std::unique_ptr<FileReader>> OpenListedFile(
      std::string_view name) const override {
    if (!IsName(name)) return FailedWith<std::unique_ptr<FileReader>>(ERROR_INVALID_NAME);
    return OpenToRead(LiteralPath(Joined(path_, name)));
  }

 private:
  // A name of this folder only: nothing built from it may point above or beside it, and no
  // wildcard may make the shell match other names.
  static bool IsName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:*?") == std::string_view::npos;
  }

  UniqueHandle handle_;
  std::string path_;
};

}  // namespace

Result<std::unique_ptr<FolderHandle>> OpenFolderHandle(std::string_view final_path) {
  using Handle = std::unique_ptr<FolderHandle>;
  std::string path(final_path);
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  auto held = HoldFolder(path);
  if (!held) return Result<Handle>{nullptr, held.status};
  // A link planted above the folder since its path was decided leads the open elsewhere:
  // the handle's own final path tells.
  const auto really = FinalPathOfHandle(held.value.get());
  if (!really) return Result<Handle>{nullptr, really.status};
  if (!SameText(really.value, path)) return FailedWith<Handle>(kErrorLinkMet);
  return Result<Handle>::Of(std::make_unique<Win32Folder>(std::move(held.value), std::move(path)));
}

}  // namespace morvel::platform::win32
