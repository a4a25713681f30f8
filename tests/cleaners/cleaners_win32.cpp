// The tests' machine under Wine: the Wine prefix's real registry and folders. Before and
// after each test every trace the cleaners look for is removed with the system's own
// functions, not with the code under test. That empties the user's temporary and Recent
// folders and deletes MRU lists, so it runs only in a prefix started by scripts/wine-run,
// or where MORVEL_CLEANERS_MAY_CLEAN_THIS_MACHINE=1 says the machine is a throwaway one.

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_util.h"
#include "tests/cleaners/cleaners_machine.h"
#include "tests/scratch_win32/scratch_win32.h"

namespace morvel::cleaners_test {
namespace {

using platform::win32::OwnFind;
using platform::win32::Wide;
using testing::win32::RemoveTree;
using testing::win32::RunningOnWine;

constexpr wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr wchar_t kUserAssist[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\";

std::wstring Environment(const wchar_t* name) {
  std::vector<wchar_t> value(32768);
  const DWORD length = GetEnvironmentVariableW(name, value.data(), 32768);
  return length > 0 && length < 32768 ? std::wstring(value.data(), length) : std::wstring();
}

// The tests clean the user's own traces: only on a machine that is there for it.
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

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring ProgramFilesFolder() {
  wchar_t path[MAX_PATH] = {};
  DWORD bytes = sizeof(path) - sizeof(wchar_t);
  if (SHGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                  L"ProgramFilesDir", nullptr, path, &bytes) != ERROR_SUCCESS)
    return {};
  return path;
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

void RemoveTraces() {
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

  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length > 3 && length <= MAX_PATH) EmptyFolder(std::wstring(temp, length - 1));
  DeleteFiles(ShellFolder(CSIDL_RECENT), L"*");

  const std::wstring app_data = ShellFolder(CSIDL_APPDATA);
  if (!app_data.empty()) {
    RemoveTree(app_data + L"\\Microsoft\\Office\\Recent");
    RemoveTree(app_data + L"\\Skype");
  }
  if (const std::wstring windows = WindowsFolder(); !windows.empty()) {
    DeleteFileForced(windows + L"\\memory.dmp");
    RemoveTree(windows + L"\\MiniDump");
  }
  DeleteFiles(SystemFolder(), L"File*.chk");
  if (const std::wstring documents = ShellFolder(CSIDL_PERSONAL); !documents.empty())
    RemoveTree(documents + L"\\My Received Files");
  if (const std::wstring programs = ProgramFilesFolder(); !programs.empty())
    RemoveTree(programs + L"\\Yahoo!\\Messenger");

  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

class Win32TestMachine final : public Machine {
 public:
  Win32TestMachine() : machine_(platform::win32::Win32Machine::Open()) {
    RefuseUnlessThrowaway();
    RemoveTraces();
  }

  ~Win32TestMachine() override {
    RemoveTraces();
    if (clipboard_owner_) DestroyWindow(clipboard_owner_);
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  bool IsEmulated() const override { return false; }
  std::optional<std::string> SavedRegistry() override { return std::nullopt; }

  std::optional<std::string> PutClipboardText(std::string_view text) override {
    if (!clipboard_owner_) {
      // A window of ours owns what is put there; a message-only one needs no display.
      clipboard_owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
      if (!clipboard_owner_)
        return "CreateWindowEx failed with Windows error " + std::to_string(GetLastError());
    }
    return testing::win32::PutClipboardText(clipboard_owner_, text);
  }

  std::optional<bool> ClipboardHoldsData() override { return CountClipboardFormats() > 0; }

 private:
  std::unique_ptr<platform::win32::Win32Machine> machine_;
  HWND clipboard_owner_ = nullptr;
};

}  // namespace

std::unique_ptr<Machine> MakeMachine(const std::string&) {
  return std::make_unique<Win32TestMachine>();
}

}  // namespace morvel::cleaners_test
