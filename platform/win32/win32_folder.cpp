#include "platform/win32/win32_folder.h"

#include <windows.h>
#include <winternl.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "platform/win32/win32_file_ops.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_nt_files.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

// A folder is held with the listing access, which makes the sharing count (an open for
// attributes alone would not stop anyone); without FILE_SHARE_DELETE nobody may rename or
// delete it meanwhile.
constexpr ACCESS_MASK kHoldAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
constexpr ULONG kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Status NotAFolder() { return Status::Error(ErrorKind::AccessDenied, ERROR_DIRECTORY); }

// The top folder, opened by its final path: itself, never what a link in its place leads to.
Result<UniqueHandle> HoldFolder(const std::string& path) {
  UniqueHandle handle = OwnFile(CreateFileW(
      Wide(LiteralPath(path)).c_str(), kHoldAccess | SYNCHRONIZE, kShareReadWrite, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return FailedWith<UniqueHandle>(GetLastError());
  return Result<UniqueHandle>::Of(std::move(handle));
}

// A held folder's handle is of a folder and of no link: the link itself opens with
// FILE_OPEN_REPARSE_POINT, and is told here.
Status CheckHeldFolder(HANDLE handle) {
  const auto attributes = AttributesOf(handle);
  if (!attributes) return attributes.status;
  if (attributes.value & FILE_ATTRIBUTE_REPARSE_POINT) return StatusOf(kErrorLinkMet);
  if (!(attributes.value & FILE_ATTRIBUTE_DIRECTORY)) return NotAFolder();
  return Status::Ok();
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

  Status Enumerate(const std::function<bool(const FileEntry&)>& visit) const override {
    std::vector<FileEntry> entries;
    if (Status listed = ListHeldFolder(handle_.get(), entries); !listed) return listed;
    for (const FileEntry& entry : entries)
      if (!visit(entry)) break;
    return Status::Ok();
  }

  [[nodiscard]] Result<FileEntry> StatEntry(std::string_view name) const override {
    // Opened for its attributes alone, which every sharing allows, as the link itself.
    auto entry = Open(name, {FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, FILE_OPEN_REPARSE_POINT});
    if (!entry) return Result<FileEntry>{{}, entry.status};
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    FILE_NAME_INFO* named = nullptr;
    std::vector<LONGLONG> name_buffer(1100 / sizeof(LONGLONG) + 1);
    if (!GetFileInformationByHandleEx(entry.value.get(), FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(entry.value.get(), FileStandardInfo, &standard,
                                      sizeof standard))
      return FailedWith<FileEntry>(GetLastError());
    FileEntry described;
    // The name as the folder holds it, in the case it was created with.
    if (GetFileInformationByHandleEx(entry.value.get(), FileNameInfo, name_buffer.data(),
                                     static_cast<DWORD>(name_buffer.size() * sizeof(LONGLONG)))) {
      named = reinterpret_cast<FILE_NAME_INFO*>(name_buffer.data());
      const std::wstring_view full(named->FileName, named->FileNameLength / sizeof(wchar_t));
      described.name = Narrow(full.substr(full.find_last_of(L'\\') + 1));
    } else {
      described.name = std::string(name);
    }
    described.attributes = basic.FileAttributes;
    if (!(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      described.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    // A link's own size is none, as a listing reports it.
    if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) described.size = 0;
    described.last_write = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
    return Result<FileEntry>::Of(std::move(described));
  }

  [[nodiscard]] Result<std::unique_ptr<FolderHandle>> OpenSubFolder(
      std::string_view name) const override {
    using Handle = std::unique_ptr<FolderHandle>;
    auto sub =
        Open(name, {kHoldAccess, kShareReadWrite, FILE_OPEN,
                    FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT});
    if (!sub) {
      // A link to a file is refused as no folder: tell it as the link it is.
      if (sub.status.system_code == ERROR_DIRECTORY && IsLink(name))
        return FailedWith<Handle>(kErrorLinkMet);
      return Result<Handle>{nullptr, sub.status};
    }
    if (Status checked = CheckHeldFolder(sub.value.get()); !checked)
      return Result<Handle>{nullptr, checked};
    return Result<Handle>::Of(
        std::make_unique<Win32Folder>(std::move(sub.value), Joined(path_, name)));
  }

  // As the shell deletes: a read-only file goes too, its attribute cleared first.
  Status DeleteListedFile(std::string_view name) override {
    // The usual case in one call, as DeleteFile makes it: a plain file, or a link to a file
    // as the link, goes once the handle closes.
    const auto quick =
        Open(name, {DELETE, kShareAll, FILE_OPEN,
                    FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE | FILE_OPEN_REPARSE_POINT});
    if (quick || quick.status.kind != ErrorKind::AccessDenied) return quick.status;
    // A folder or a link to one, a read-only file, or one this user may not delete: looked at.
    auto file = Open(name, {DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                            FILE_OPEN, FILE_OPEN_REPARSE_POINT});
    if (!file) return file.status;
    const auto attributes = AttributesOf(file.value.get());
    if (!attributes) return attributes.status;
    const bool link = (attributes.value & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!link && (attributes.value & FILE_ATTRIBUTE_DIRECTORY))
      return StatusOf(ERROR_ACCESS_DENIED);
    Status marked = MarkForDeletion(file.value.get());
    if (marked || link || !(attributes.value & FILE_ATTRIBUTE_READONLY)) return marked;
    if (!SetAttributes(file.value.get(), attributes.value & ~DWORD{FILE_ATTRIBUTE_READONLY}))
      return marked;
    marked = MarkForDeletion(file.value.get());
    if (!marked) (void)SetAttributes(file.value.get(), attributes.value);
    return marked;
  }

  Status RemoveSubFolder(std::string_view name) override {
    auto folder = Open(name, {DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN,
                              FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT});
    if (!folder) return folder.status;
    const auto attributes = AttributesOf(folder.value.get());
    if (!attributes) return attributes.status;
    // A link to a folder goes as the link; a link to a file is no folder.
    if (!(attributes.value & FILE_ATTRIBUTE_DIRECTORY)) return NotAFolder();
    return MarkForDeletion(folder.value.get());
  }

  [[nodiscard]] Result<std::unique_ptr<FileWriter>> OpenFileToOverwrite(
      std::string_view name) override {
    using Writer = std::unique_ptr<FileWriter>;
    auto file = OpenPlainFile(name, GENERIC_READ | GENERIC_WRITE, 0, FILE_OPEN);
    if (!file) return Result<Writer>{nullptr, file.status};
    return Result<Writer>::Of(FileOfHandle(std::move(file.value)));
  }

  [[nodiscard]] Result<std::unique_ptr<DatabaseFile>> OpenDatabaseFile(
      std::string_view name, FileOpening opening) override {
    using File = std::unique_ptr<DatabaseFile>;
    auto file = OpenPlainFile(
        name, GENERIC_READ | GENERIC_WRITE, kShareReadWrite,
        opening == FileOpening::CreateIfMissing ? ULONG{FILE_OPEN_IF} : ULONG{FILE_OPEN});
    if (!file) return Result<File>{nullptr, file.status};
    // Counted on the open handle, which shares no deletion: no name of the file can go
    // between the opening and the count.
    const auto links = LinksOf(file.value.get());
    if (!links) return Result<File>{nullptr, links.status};
    if (links.value != 1) return Result<File>::Failed(ErrorKind::HardLinked);
    return Result<File>::Of(FileOfHandle(std::move(file.value)));
  }

  // Shared for reading, writing and deletion: another program's file is only looked at.
  [[nodiscard]] Result<std::unique_ptr<FileReader>> OpenListedFile(
      std::string_view name) const override {
    auto file = OpenPlainFile(name, GENERIC_READ, kShareAll, FILE_OPEN);
    if (!file) return Result<std::unique_ptr<FileReader>>{nullptr, file.status};
    return ReaderOfHandle(std::move(file.value));
  }

 private:
  [[nodiscard]] Result<UniqueHandle> Open(std::string_view name,
                                          const RelativeOpening& opening) const {
    return OpenRelative(handle_.get(), name, opening);
  }

  // Whether the entry `name` is a link (judged on the link itself).
  [[nodiscard]] bool IsLink(std::string_view name) const {
    const auto entry = StatEntry(name);
    return entry.ok() && entry.value.IsReparsePoint();
  }

  static bool SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // zero times: left as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
  }

  // A plain file of this folder opened with `access` and `share`, never a link (Link) or a
  // folder (AccessDenied), judged on the open handle.
  [[nodiscard]] Result<UniqueHandle> OpenPlainFile(std::string_view name, ACCESS_MASK access,
                                                   ULONG share, ULONG disposition) const {
    auto file =
        Open(name, {access, share, disposition, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT});
    if (!file) return file;
    const auto attributes = AttributesOf(file.value.get());
    if (!attributes) return Result<UniqueHandle>{nullptr, attributes.status};
    if (attributes.value & FILE_ATTRIBUTE_REPARSE_POINT)
      return FailedWith<UniqueHandle>(kErrorLinkMet);
    if (attributes.value & FILE_ATTRIBUTE_DIRECTORY)
      return FailedWith<UniqueHandle>(ERROR_ACCESS_DENIED);
    return file;
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
  if (Status checked = CheckHeldFolder(held.value.get()); !checked)
    return Result<Handle>{nullptr, checked};
  // A link planted above the folder since its path was decided leads the open elsewhere:
  // the handle's own final path tells.
  const auto really = FinalPathOfHandle(held.value.get());
  if (!really) return Result<Handle>{nullptr, really.status};
  if (!SameText(really.value, path)) return FailedWith<Handle>(kErrorLinkMet);
  return Result<Handle>::Of(std::make_unique<Win32Folder>(std::move(held.value), std::move(path)));
}

}  // namespace morvel::platform::win32
