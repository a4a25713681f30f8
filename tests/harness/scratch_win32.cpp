#include "tests/harness/scratch_win32.h"

#include <winioctl.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/win32/win32_util.h"

namespace morvel::testing::win32 {

using platform::win32::OwnFile;
using platform::win32::UniqueHandle;

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temp folder");
  return std::wstring(buffer, length);  // ends with "\"
}

// Removes a folder with everything in it, links removed as links (never followed).
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  if (auto find = platform::win32::OwnFind(FindFirstFileW((folder + L"\\*").c_str(), &data))) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(path.c_str());
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &data));
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring Environment(const wchar_t* name) {
  std::vector<wchar_t> value(32768);
  const DWORD length = GetEnvironmentVariableW(name, value.data(), 32768);
  return length > 0 && length < 32768 ? std::wstring(value.data(), length) : std::wstring();
}

bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool IsWindows64() {
#ifdef _WIN64
  return true;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

void DeleteKeyTree(HKEY root, const std::wstring& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view, &key) != ERROR_SUCCESS)
    return;
  std::vector<std::wstring> children;
  wchar_t name[256];
  for (DWORD length = 256; RegEnumKeyExW(key, static_cast<DWORD>(children.size()), name, &length,
                                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       length = 256)
    children.emplace_back(name, length);
  RegCloseKey(key);
  for (const std::wstring& child : children) DeleteKeyTree(root, path + L"\\" + child, view);
  RegDeleteKeyExW(root, path.c_str(), view, 0);
}

// A junction: the reparse data of a mount point, set on an empty folder.
DWORD MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return GetLastError();
  UniqueHandle dir =
      OwnFile(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!dir) {
    const DWORD error = GetLastError();
    RemoveDirectoryW(link.c_str());
    return error;
  }
  const std::wstring substitute = L"\\??\\" + target;
  const std::size_t names = (substitute.size() + 1 + target.size() + 1) * sizeof(wchar_t);
  std::vector<BYTE> buffer(8 + 8 + names);
  auto put16 = [&](std::size_t at, std::size_t v) {
    buffer[at] = static_cast<BYTE>(v);
    buffer[at + 1] = static_cast<BYTE>(v >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  for (int i = 0; i < 4; ++i) buffer[i] = static_cast<BYTE>(tag >> (8 * i));
  put16(4, 8 + names);                                   // ReparseDataLength
  put16(8, 0);                                           // SubstituteNameOffset
  put16(10, substitute.size() * sizeof(wchar_t));        // SubstituteNameLength
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));  // PrintNameOffset
  put16(14, target.size() * sizeof(wchar_t));            // PrintNameLength
  std::memcpy(&buffer[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  std::memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], target.c_str(),
              (target.size() + 1) * sizeof(wchar_t));
  DWORD returned = 0;
  if (!DeviceIoControl(dir.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                       static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
    const DWORD error = GetLastError();
    dir.reset();
    RemoveDirectoryW(link.c_str());
    return error;
  }
  return ERROR_SUCCESS;
}

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<std::string> PutClipboardText(HWND owner, std::string_view text) {
  if (!OpenClipboard(owner))
    return "OpenClipboard failed with Windows error " + std::to_string(GetLastError());
  const std::wstring wide = platform::win32::Wide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  bool put = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* data = GlobalLock(memory)) {
      std::memcpy(data, wide.c_str(), bytes);
      GlobalUnlock(memory);
      put = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    }
    if (!put) GlobalFree(memory);  // the clipboard owns it only once it took it
  }
  const DWORD error = GetLastError();
  CloseClipboard();
  if (!put)
    throw std::runtime_error("SetClipboardData failed with Windows error " + std::to_string(error));
  return std::nullopt;
}

}  // namespace morvel::testing::win32
