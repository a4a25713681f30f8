// The traces the cleaner suites look for, removed from the real machine with the system's
// own functions (not the code under test) before and after each test. That empties the
// user's temporary and Recent folders and deletes MRU lists, so it runs only in a prefix
// started by scripts/wine-run, or where MORVEL_CLEANERS_MAY_CLEAN_THIS_MACHINE=1 says the
// machine is a throwaway one.

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_util.h"
#include "tests/harness/scratch_win32.h"
#include "tests/harness/windows_traces.h"

namespace morvel::testing {

using platform::win32::OwnFind;
using win32::Environment;
using win32::IsWindows64;
using win32::RemoveTree;
using win32::RunningOnWine;

void RefuseUnlessThrowaway() {
  if (Environment(L"MORVEL_CLEANERS_MAY_CLEAN_THIS_MACHINE") == L"1") return;
  const std::wstring prefix = Environment(L"WINEPREFIX");
  if (RunningOnWine() && !prefix.empty() && Environment(L"XDG_DATA_HOME") == prefix + L"-xdg")
    return;
  throw std::runtime_error(
      "the cleaner tests empty this user's temporary and Recent folders and MRU lists: run "
      "them through scripts/wine-run, or set MORVEL_CLEANERS_MAY_CLEAN_THIS_MACHINE=1 on a "
      "throwaway Windows");
}

namespace {

constexpr wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr wchar_t kUserAssist[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\";

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::wstring WindowsFolder() {
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// The system's own System32, which a 32-bit program on 64-bit Windows reaches as Sysnative.
std::wstring SystemFolder() {
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  if (sizeof(void*) == 4 && IsWindows64()) return WindowsFolder() + L"\\Sysnative";
  return std::wstring(path, length);
}

// Both Program Files folders on 64-bit Windows, as the registry's 64-bit view names them.
std::vector<std::wstring> ProgramFilesFolders() {
  std::vector<std::wstring> folders;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return folders;
  for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)"}) {
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof(path) - sizeof(wchar_t);
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, path, &bytes) == ERROR_SUCCESS)
      folders.emplace_back(path);
  }
  RegCloseKey(key);
  return folders;
}

// Calls `act` with the full path of each entry of `folder` matching `mask`.
template <class Act>
void ForEachMatch(const std::wstring& folder, const wchar_t* mask, Act act) {
  if (folder.empty()) return;
  WIN32_FIND_DATAW data;
  if (auto find = OwnFind(FindFirstFileW((folder + L"\\" + mask).c_str(), &data))) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") act(folder + L"\\" + name, data.dwFileAttributes);
    } while (FindNextFileW(find.get(), &data));
  }
}

void DeleteFileForced(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

// Everything inside the folder; the folder stays.
void EmptyFolder(const std::wstring& folder) {
  ForEachMatch(folder, L"*", [](const std::wstring& path, DWORD attributes) {
    // Links go as links: nothing they lead to is touched.
    const bool link = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileForced(path);
    else if (link)
      RemoveDirectoryW(path.c_str());
    else
      RemoveTree(path);
  });
}

// The files of the folder matching the mask; sub-folders stay.
void DeleteFiles(const std::wstring& folder, const wchar_t* mask) {
  ForEachMatch(folder, mask, [](const std::wstring& path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileForced(path);
  });
}

}  // namespace

void RemoveCleanerTraces() {
  for (const wchar_t* key : {L"RecentDocs", L"RunMRU", L"ComDlg32\\OpenSaveMRU", L"MenuOrder"})
    SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kExplorer) + key).c_str());
  for (const wchar_t* value : {L"IconStreams", L"PastIconsStream"})
    SHDeleteValueW(HKEY_CURRENT_USER, (std::wstring(kExplorer) + L"TrayNotify").c_str(), value);
  for (const wchar_t* guid :
       {L"{5E6AB780-7743-11CF-A12B-00AA004AE837}", L"{75048700-EF1F-11D0-9888-006097DEACF9}"})
    SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kUserAssist) + guid + L"\\Count").c_str());
  for (const wchar_t* key :
       {L"Software\\Microsoft\\Search Assistant\\ACMru",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
        L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer",
        L"Software\\Microsoft\\MSNMessenger"})
    SHDeleteKeyW(HKEY_CURRENT_USER, key);
  for (int version = 8; version <= 12; ++version)
    SHDeleteKeyW(HKEY_CURRENT_USER,
                 (L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0").c_str());

  // Internet Explorer's: typed URLs, search lists, the download folder, form entries, and
  // the cookie files (the indexes stay: WinINet may hold them).
  for (const wchar_t* key : {L"Software\\Microsoft\\Internet Explorer\\TypedURLs",
                             L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\"
                             L"{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}",
                             L"Software\\Microsoft\\Internet Explorer\\IntelliForms"})
    SHDeleteKeyW(HKEY_CURRENT_USER, key);
  SHDeleteValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer",
                 L"Download Directory");
  if (const std::wstring cookies = ShellFolder(CSIDL_COOKIES); !cookies.empty()) {
    DeleteFiles(cookies, L"*.txt*");
    DeleteFiles(cookies + L"\\Low", L"*.txt*");
  }

  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length > 3 && length <= MAX_PATH) EmptyFolder(std::wstring(temp, length - 1));
  DeleteFiles(ShellFolder(CSIDL_RECENT), L"*");

  const std::wstring app_data = ShellFolder(CSIDL_APPDATA);
  if (!app_data.empty()) {
    RemoveTree(app_data + L"\\Morvel Tests");
    RemoveTree(app_data + L"\\Microsoft\\Office\\Recent");
    RemoveTree(app_data + L"\\Skype");
    for (const wchar_t* browser : {L"\\Mozilla", L"\\Opera", L"\\Netscape"})
      RemoveTree(app_data + browser);
  }
  if (const std::wstring local = ShellFolder(CSIDL_LOCAL_APPDATA); !local.empty()) {
    for (const wchar_t* browser : {L"\\Mozilla", L"\\Google\\Chrome", L"\\Opera"})
      RemoveTree(local + browser);
  }
  if (const std::wstring windows = WindowsFolder(); !windows.empty()) {
    DeleteFileForced(windows + L"\\memory.dmp");
    RemoveTree(windows + L"\\MiniDump");
  }
  DeleteFiles(SystemFolder(), L"File*.chk");
  if (const std::wstring documents = ShellFolder(CSIDL_PERSONAL); !documents.empty())
    RemoveTree(documents + L"\\My Received Files");
  for (const std::wstring& programs : ProgramFilesFolders())
    RemoveTree(programs + L"\\Yahoo!\\Messenger");

  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

}  // namespace morvel::testing
