// The two-backend suites' machine under Wine (or Windows): the real Win32 backend on a
// scratch key below HKEY_CURRENT_USER (and HKEY_LOCAL_MACHINE) and a scratch folder below
// the temp folder, both removed afterwards with the system's own functions rather than
// the code under test.

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <urlhist.h>
#include <wininet.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_util.h"
#include "tests/harness/scratch_win32.h"
#include "tests/harness/test_machine.h"
#include "tests/harness/windows_traces.h"

namespace morvel::testing {
namespace {

using platform::win32::Narrow;
using platform::win32::OwnFile;
using platform::win32::UniqueHandle;
using platform::win32::Wide;
using win32::Environment;
using win32::IsLink;
using win32::MakeJunction;
using win32::RemoveTree;
using win32::RunningOnWine;
using win32::TempFolder;

std::string Describe(const char* what, DWORD error) {
  return std::string(what) + " failed with Windows error " + std::to_string(error);
}

class Win32TestMachine final : public TestMachine {
 public:
  Win32TestMachine(const MachineSetup& setup, const std::string& test_name)
      : setup_(setup),
        machine_(platform::win32::Win32Machine::Open()),
        parent_key_(L"Software\\" + Wide(setup.scratch)),
        parent_folder_(TempFolder() + Wide(setup.scratch)),
        wine_(RunningOnWine()) {
    if (setup.remove_cleaner_traces) {
      RefuseUnlessThrowaway();
      RemoveCleanerTraces();
    }
    if (setup.scratch.empty()) return;
    key_ = Narrow(parent_key_) + "\\" + test_name;
    folder_ = parent_folder_ + L"\\" + Wide(test_name);
    Cleanup();  // left over from a run that crashed
    CreateDirectoryW(parent_folder_.c_str(), nullptr);
    if (!CreateDirectoryW(folder_.c_str(), nullptr))
      throw std::runtime_error(Describe("CreateDirectory", GetLastError()));
  }

  ~Win32TestMachine() override {
    if (clipboard_holder_.joinable()) {
      SetEvent(release_.get());
      clipboard_holder_.join();
    }
    if (saved_temp_) {
      RestoreVariable(L"TMP", saved_temp_->first);
      RestoreVariable(L"TEMP", saved_temp_->second);
    }
    for (HWND window : windows_) DestroyWindow(window);
    for (const std::wstring& name : classes_)
      UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
    locks_.clear();
    if (setup_.remove_cleaner_traces) RemoveCleanerTraces();
    if (setup_.scratch.empty()) return;
    Cleanup();
    // The shared parents go once the last test's scratch is gone.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      RegDeleteKeyW(root, parent_key_.c_str());
    RemoveDirectoryW(parent_folder_.c_str());
  }

  platform::Registry& registry() override { return machine_->registry(); }
  platform::FileSystem& files() override { return machine_->files(); }
  platform::SystemInfo& system() override { return machine_->system(); }
  platform::WindowSystem& windows() override { return machine_->windows(); }
  platform::ProtectedStorage& protected_storage() override { return machine_->protected_storage(); }
  platform::Internet& internet() override { return machine_->internet(); }
  platform::LogonTasks& logon_tasks() override { return machine_->logon_tasks(); }

  std::string scratch_key() const override { return key_; }
  std::string scratch_folder() const override { return Narrow(folder_); }
  bool IsEmulated() const override { return false; }
  std::optional<std::string> SavedRegistry() override { return std::nullopt; }
  bool DenyLocalMachineChanges() override { return false; }

  // A small file of the cache's own naming, committed as a normal entry.
  SkipReason AddUrlCacheEntry(std::string_view url) override {
    const std::wstring wide = Wide(url);
    wchar_t file[MAX_PATH + 1] = {};
    if (!CreateUrlCacheEntryW(wide.c_str(), 0, L"htm", file, 0))
      return Describe("CreateUrlCacheEntry", GetLastError());
    {
      UniqueHandle out = OwnFile(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      if (!out || !WriteFile(out.get(), "<html></html>", 13, &written, nullptr))
        throw std::runtime_error(Describe("WriteFile", GetLastError()));
    }
    const FILETIME none{};
    if (!CommitUrlCacheEntryW(wide.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0,
                              L"htm", nullptr))
      throw std::runtime_error(Describe("CommitUrlCacheEntry", GetLastError()));
    return std::nullopt;
  }

  SkipReason PutProtectedStorage(std::string_view) override {
    return "the real Protected Storage is not arranged by the tests";
  }

  SkipReason AddUrlHistoryEntry(std::string_view url) override {
    const HRESULT com = CoInitialize(nullptr);
    IUrlHistoryStg* raw = nullptr;
    const CLSID history = {
        0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
    const IID stg = {0x3C374A41, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
    HRESULT added = CoCreateInstance(history, nullptr, CLSCTX_INPROC_SERVER, stg,
                                     reinterpret_cast<void**>(&raw));
    if (SUCCEEDED(added) && raw) {
      added = raw->AddUrl(Wide(url).c_str(), L"Morvel test", 0);
      raw->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    if (FAILED(added))
      return "the URL history store takes no URL here (HRESULT " +
             std::to_string(static_cast<unsigned long>(added)) + ", as Wine's E_NOTIMPL)";
    return std::nullopt;
  }

  SkipReason MakeHardLink(std::string_view link, std::string_view target) override {
    if (CreateHardLinkW(Wide(link).c_str(), Wide(target).c_str(), nullptr)) return std::nullopt;
    return "this Windows makes no hard links here (error " + std::to_string(GetLastError()) + ")";
  }

  SkipReason MakeLink(std::string_view link, std::string_view target, bool folder) override {
    const std::wstring wide_link = Wide(link);
    const std::wstring wide_target = Wide(target);
    // CreateSymbolicLinkW is missing before Vista; look it up rather than fail to load.
    using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    const auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
    DWORD link_error = ERROR_PROC_NOT_FOUND;
    if (create) {
      const DWORD flags = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
      // Developer mode on Windows 10 lets unprivileged users make links with this flag.
      if (create(wide_link.c_str(), wide_target.c_str(), flags | 0x2) ||
          create(wide_link.c_str(), wide_target.c_str(), flags))
        link_error = IsLink(wide_link) ? ERROR_SUCCESS : ERROR_CALL_NOT_IMPLEMENTED;
      else
        link_error = GetLastError();
      if (link_error == ERROR_SUCCESS) return std::nullopt;
    }
    if (folder) {
      DWORD junction_error = MakeJunction(wide_link, wide_target);
      if (junction_error == ERROR_SUCCESS && !IsLink(wide_link)) {
        RemoveDirectoryW(wide_link.c_str());
        junction_error = ERROR_CALL_NOT_IMPLEMENTED;
      }
      if (junction_error == ERROR_SUCCESS) return std::nullopt;
      return "this Windows makes neither symbolic links (error " + std::to_string(link_error) +
             ") nor junctions (error " + std::to_string(junction_error) + ")";
    }
    return "this Windows cannot make a symbolic link to a file (error " +
           std::to_string(link_error) + ")";
  }

  SkipReason LockFile(std::string_view path) override {
    const DWORD sharing = setup_.locks_share_read_write ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    UniqueHandle file =
        OwnFile(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error(Describe("CreateFile", GetLastError()));
    locks_.push_back(std::move(file));
    return std::nullopt;
  }

  void UnlockFiles() override { locks_.clear(); }

  SkipReason SetAttributes(std::string_view path, std::uint32_t attributes) override {
    const std::wstring wide = Wide(path);
    if (!SetFileAttributesW(wide.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes))
      throw std::runtime_error(Describe("SetFileAttributes", GetLastError()));
    // Wine keeps "read-only" as the host file's missing write permission, which the host's
    // superuser does not need: run as root, Wine writes and deletes such files.
    if ((attributes & FILE_ATTRIBUTE_READONLY) &&
        OwnFile(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr))) {
      SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
      return "read-only files can be opened for writing here (Wine run by the host's superuser)";
    }
    return std::nullopt;
  }

  SkipReason OpenWindow(std::string_view class_name) override {
    const std::wstring name = Wide(class_name);
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = name.c_str();
    if (!RegisterClassW(&window_class))
      throw std::runtime_error(Describe("RegisterClass", GetLastError()));
    classes_.push_back(name);
    const HWND window =
        CreateWindowExW(0, name.c_str(), L"Morvel contract test", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                        100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
      return Describe("CreateWindowEx", GetLastError()) +
             " (under Wine a window needs an X display: run scripts/test-win32.sh)";
    windows_.push_back(window);
    return std::nullopt;
  }

  // GetTempPath takes TMP first, then TEMP, from the process's environment.
  SkipReason SetTempFolder(std::string_view path) override {
    if (!saved_temp_) saved_temp_ = {Environment(L"TMP"), Environment(L"TEMP")};
    const std::wstring wide = Wide(path);
    SetEnvironmentVariableW(L"TMP", wide.c_str());
    SetEnvironmentVariableW(L"TEMP", wide.c_str());
    return std::nullopt;
  }

  SkipReason PutClipboardText(std::string_view text) override {
    if (!clipboard_owner_) {
      // A window of ours owns what is put there; a message-only one needs no display.
      clipboard_owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
      if (!clipboard_owner_) throw std::runtime_error(Describe("CreateWindowEx", GetLastError()));
      windows_.push_back(clipboard_owner_);
    }
    if (auto refused = testing::win32::PutClipboardText(clipboard_owner_, text))
      return *refused + " (no clipboard here)";
    return std::nullopt;
  }

  SkipReason HoldClipboardOpen() override {
    if (clipboard_holder_.joinable()) return std::nullopt;
    opened_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    release_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!opened_ || !release_) throw std::runtime_error(Describe("CreateEvent", GetLastError()));
    // The clipboard belongs to whoever opened it: another thread makes it busy for ours.
    // Opened for a window of its own: Wine lets anyone open a clipboard opened for none.
    clipboard_holder_ = std::thread([this] {
      const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
      const bool open = window && OpenClipboard(window);
      held_ = open;
      SetEvent(opened_.get());
      WaitForSingleObject(release_.get(), INFINITE);
      if (open) CloseClipboard();
      if (window) DestroyWindow(window);
    });
    WaitForSingleObject(opened_.get(), INFINITE);
    if (!held_) return "another thread could not open the clipboard";
    return std::nullopt;
  }

  std::optional<bool> ClipboardHoldsData() override { return CountClipboardFormats() > 0; }

  // Deletion to the bin through the shell, as Explorer does it.
  SkipReason MoveToRecycleBin(std::string_view path) override {
    if (const SkipReason why = RecycleBinsNotPrivate()) return why;
    std::wstring from = Wide(path);
    for (wchar_t& c : from)
      if (c == L'/') c = L'\\';
    from.push_back(L'\0');  // the list ends with an empty name
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    if (const int error = SHFileOperationW(&operation);
        error != 0 || operation.fAnyOperationsAborted)
      throw std::runtime_error(Describe("SHFileOperation", static_cast<DWORD>(error)));
    const std::wstring target(from.c_str());  // without the list's end
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
      throw std::runtime_error(std::string(path) + " is still there after its deletion to the bin");
    // Wine's bin must be the private one the scripts set up, never the host user's trash.
    const std::wstring name = target.substr(target.find_last_of(L'\\') + 1);
    const std::wstring landed = WineTrashFolder() + L"\\files\\" + name;
    if (GetFileAttributesW(landed.c_str()) == INVALID_FILE_ATTRIBUTES)
      throw std::runtime_error(Narrow(name) + " is not in the private trash " +
                               Narrow(WineTrashFolder()));
    return std::nullopt;
  }

  // Under Wine the bin is $XDG_DATA_HOME/Trash: private when scripts/wine-run set it beside
  // the prefix.
  SkipReason RecycleBinsNotPrivate() const override {
    if (!wine_) return "emptying the recycle bins would empty this Windows user's own bin";
    const std::wstring data_home = Environment(L"XDG_DATA_HOME");
    const std::wstring prefix = Environment(L"WINEPREFIX");
    if (data_home.empty() || prefix.empty() || data_home != prefix + L"-xdg")
      return "Wine's recycle bin is the host user's trash unless run through scripts/wine-run";
    return std::nullopt;
  }

  SkipReason RecycleBinFoldersUnsupported() const override {
    if (wine_)
      return "Wine's shell counts a deleted folder without its bytes and, emptying the bin, "
             "leaves the folder in it";
    return std::nullopt;
  }

  std::optional<platform::WindowsVersion> ExpectedVersion() const override { return std::nullopt; }

  SkipReason ShellKeepsReadOnlyFiles() const override {
    if (wine_) return "Wine's shell refuses to delete read-only files; Windows' deletes them";
    return std::nullopt;
  }

  SkipReason ValueOrderUnsupported() const override {
    if (wine_) return "Wine keeps a key's values sorted by name, Windows in creation order";
    return std::nullopt;
  }

  // The tests under Wine run in the project's own prefix under build/.
  bool IsThrowawayMachine() const override { return wine_; }

 private:
  static void RestoreVariable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
  }

  // $XDG_DATA_HOME/Trash as a Windows path, through Wine's own mapping of host paths.
  static std::wstring WineTrashFolder() {
    using ToDos = LPWSTR(CDECL*)(LPCSTR);
    const auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    const std::string host = Narrow(Environment(L"XDG_DATA_HOME")) + "/Trash";
    LPWSTR dos = to_dos ? to_dos(host.c_str()) : nullptr;
    if (!dos) throw std::runtime_error("no Windows path for " + host);
    std::wstring folder = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return folder;
  }

  void Cleanup() const {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      SHDeleteKeyW(root, Wide(key_).c_str());
    RemoveTree(folder_);
  }

  const MachineSetup setup_;
  std::unique_ptr<platform::win32::Win32Machine> machine_;
  std::wstring parent_key_;
  std::wstring parent_folder_;
  std::string key_;
  std::wstring folder_;
  bool wine_;
  std::vector<UniqueHandle> locks_;
  std::vector<std::wstring> classes_;
  std::vector<HWND> windows_;
  HWND clipboard_owner_ = nullptr;
  std::optional<std::pair<std::wstring, std::wstring>> saved_temp_;  // TMP and TEMP
  UniqueHandle opened_;
  UniqueHandle release_;
  bool held_ = false;  // written by the holder before it sets `opened_`
  std::thread clipboard_holder_;
};

}  // namespace

std::unique_ptr<TestMachine> MakeTestMachine(const MachineSetup& setup,
                                             const std::string& test_name) {
  return std::make_unique<Win32TestMachine>(setup, test_name);
}

}  // namespace morvel::testing
