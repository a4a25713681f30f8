// The installer on the Wine prefix, as an administrator deploys it: msiexec installs,
// upgrades and uninstalls silently; the installed programs run from Program Files; the
// user's own files outlive the program. The packages come from scripts/package.sh
// (scripts/test-win32.sh makes them): MORVEL_MSI_DIR holds this build's installers,
// MORVEL_OLDER_MSI_DIR the same programs under an older version. The tests take the
// package of their own width: the x86 one in the 32-bit prefix, the x64 one in the 64-bit.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/autorun.h"
#include "gui/resource.h"
#include "platform/win32/win32_autorun.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kMainClass[] = L"Morvel Made by Quillon Software";
constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kInstalled[] = {"morvel.exe",  "morvel-cli.exe", "Morvel.dat",
                                  "Winapp2.ini", "Morvel.chm",     "License.txt"};
const char* const kUsersOwn[] = {"settings.ini", "Clist.dat", "Cookies.dat"};

struct Package {
  fs::path msi;
  std::wstring version;  // from the file name morvel-VERSION-ARCH.msi
};

// The width of this build, as the packages name it.
const std::wstring kArch = sizeof(void*) == 8 ? L"x64" : L"x86";

// The installer for `arch` in the folder that the environment variable names (a host path).
Package PackageIn(const char* variable, const std::wstring& arch = kArch) {
  const char* dir = std::getenv(variable);
  if (dir == nullptr) return {};
  const std::wstring ending = L"-" + arch + L".msi";
  for (const auto& entry : fs::directory_iterator(fs::path(L"Z:") / fs::path(dir))) {
    const std::wstring name = entry.path().filename().wstring();
    if (name.rfind(L"morvel-", 0) == 0 && name.size() > 7 + ending.size() && name.ends_with(ending))
      return {entry.path(), name.substr(7, name.size() - 7 - ending.size())};
  }
  return {};
}

bool IsWindows64() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

fs::path KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

fs::path InstallDir() { return KnownFolder(CSIDL_PROGRAM_FILES) / "Morvel"; }

// The Start menu shortcut: all users' menu on Windows; Wine's installer puts a
// per-machine shortcut into the current user's menu.
bool HasShortcut() {
  return fs::exists(KnownFolder(CSIDL_COMMON_PROGRAMS) / "Morvel.lnk") ||
         fs::exists(KnownFolder(CSIDL_PROGRAMS) / "Morvel.lnk");
}

struct Finished {
  DWORD status = 0xFFFFFFFF;
  std::string out;
};

// Runs `command` in `folder`, with its standard output and error read through a pipe.
Finished RunProgram(std::wstring command, const fs::path& folder = {}) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  CreatePipe(&read, &write, &inherit, 0);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  Finished run;
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.empty() ? nullptr : folder.c_str(), &si, &pi) != FALSE;
  CloseHandle(write);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0)
      for (DWORD i = 0; i < got; ++i)
        if (buffer[i] != '\r') run.out += buffer[i];  // lines end as in text mode
    WaitForSingleObject(pi.hProcess, 180000);
    GetExitCodeProcess(pi.hProcess, &run.status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(read);
  return run;
}

// msiexec's status, or 0xFFFFFFFF when it did not end within three minutes (it is then
// ended: a program that the installer started and that waits must not hang the suite).
DWORD Msiexec(const std::wstring& arguments) {
  std::wstring command = L"msiexec.exe " + arguments + L" /qn";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return 0xFFFFFFFF;
  DWORD status = 0xFFFFFFFF;
  if (WaitForSingleObject(pi.hProcess, 180000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &status);
  else
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return status;
}

struct Entry {
  std::wstring product, version, publisher, location;
};

std::wstring StringValue(HKEY key, const wchar_t* name) {
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return text;
}

// The Add/Remove Programs entries named Morvel, of either width's package on 64-bit Windows
// (each product once, whichever view holds it).
std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY uninstall = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ | view, &uninstall) !=
        ERROR_SUCCESS)
      continue;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      HKEY key = nullptr;
      if (RegOpenKeyExW(uninstall, name, 0, KEY_READ | view, &key) != ERROR_SUCCESS) continue;
      const bool listed = std::any_of(entries.begin(), entries.end(),
                                      [&](const Entry& entry) { return entry.product == name; });
      if (!listed && StringValue(key, L"DisplayName") == L"Morvel")
        entries.push_back({name, StringValue(key, L"DisplayVersion"),
                           StringValue(key, L"Publisher"), StringValue(key, L"InstallLocation")});
      RegCloseKey(key);
    }
    RegCloseKey(uninstall);
  }
  return entries;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

constexpr wchar_t kEventSource[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Morvel";

bool HasEventSource() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSource, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// The words the message file gives event `id` with these insertion strings; empty when it
// has none.
std::wstring EventText(const fs::path& message_file, DWORD id,
                       const std::vector<std::wstring>& strings) {
  HMODULE module = LoadLibraryExW(message_file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return {};
  std::vector<DWORD_PTR> arguments;
  for (const std::wstring& s : strings) arguments.push_back(reinterpret_cast<DWORD_PTR>(s.c_str()));
  wchar_t text[1024] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id, 0x409,
                     text, 1024, reinterpret_cast<va_list*>(arguments.data()));
  FreeLibrary(module);
  // The message's own end of line goes: the words are what is compared.
  std::wstring words(text, length);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r')) words.pop_back();
  return words;
}

bool HasAutorun() {
  return RegGetValueW(HKEY_CURRENT_USER, kRun, L"Morvel", RRF_RT_ANY, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title) {
  for (auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(100ms))
    if (HWND window = FindWindowW(window_class, title); window && IsWindowVisible(window))
      return window;
  return nullptr;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    current_ = PackageIn("MORVEL_MSI_DIR");
    older_ = PackageIn("MORVEL_OLDER_MSI_DIR");
    ASSERT_FALSE(current_.msi.empty()) << "no installer: scripts/test-win32.sh makes it";
    ASSERT_FALSE(older_.msi.empty()) << "no older installer: scripts/test-win32.sh makes it";
    // Every test starts on a prefix without Morvel, whatever an earlier run left.
    for (const Entry& entry : Entries()) Msiexec(L"/x " + entry.product);
    std::error_code ignored;
    fs::remove_all(InstallDir(), ignored);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Morvel");
    ASSERT_TRUE(Entries().empty());
  }
  void TearDown() override {
    for (const Entry& entry : Entries()) Msiexec(L"/x " + entry.product);
  }

  static DWORD Install(const Package& package) {
    return Msiexec(L"/i \"" + package.msi.wstring() + L"\"");
  }

  Package current_, older_;
};

TEST_F(Installer, InstallsSilentlyAndTheProgramsRunFromProgramFiles) {
  ASSERT_EQ(Install(current_), 0U);
  // The x64 package's folder is the 64-bit programs' own, never "Program Files (x86)".
  if (kArch == L"x64") {
    wchar_t programs[MAX_PATH] = {};
    ASSERT_NE(GetEnvironmentVariableW(L"ProgramW6432", programs, MAX_PATH), 0U);
    EXPECT_EQ(InstallDir(), fs::path(programs) / "Morvel");
  }
  for (const char* name : kInstalled) EXPECT_TRUE(fs::exists(InstallDir() / name)) << name;
  EXPECT_TRUE(HasShortcut());
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].version, current_.version);
  EXPECT_EQ(entries[0].publisher, L"Quillon Software");
  EXPECT_EQ(fs::path(entries[0].location), InstallDir() / "");

  // The first selection is there: the catalogue with its ticks, and a first Test that
  // shows work rather than a request to select items.
  const fs::path cli = InstallDir() / "morvel-cli.exe";
  const Finished list = RunProgram(L"\"" + cli.wstring() + L"\" list", InstallDir());
  EXPECT_EQ(list.status, 0U);
  for (const char* line : {"[x] Windows\n", "  [x] Temporary Files\n", "  [ ] Cookies\n",
                           "[ ] Instant Messengers\n", "  [ ] Empty Recycle Bin\n"})
    EXPECT_NE(list.out.find(line), std::string::npos) << line << list.out;
  const Finished test = RunProgram(L"\"" + cli.wstring() + L"\" test", InstallDir());
  EXPECT_EQ(test.status, 0U);
  EXPECT_NE(test.out.find("Test: Clearing Windows - Temporary Files ..."), std::string::npos)
      << test.out;

  // The Application log's source: morvel.exe's message table gives the events their words.
  // Wine keeps no event log: an unattended run's ReportEvent succeeds and what it wrote
  // cannot be read back, so the registration, the words and the call's success are checked.
  ASSERT_TRUE(HasEventSource());
  HKEY source = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSource, 0, KEY_READ, &source), ERROR_SUCCESS);
  wchar_t file[MAX_PATH] = {};
  DWORD size = sizeof file;
  EXPECT_EQ(RegGetValueW(source, nullptr, L"EventMessageFile",
                         RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, file, &size),
            ERROR_SUCCESS);
  DWORD types = 0;
  size = sizeof types;
  EXPECT_EQ(
      RegGetValueW(source, nullptr, L"TypesSupported", RRF_RT_REG_DWORD, nullptr, &types, &size),
      ERROR_SUCCESS);
  RegCloseKey(source);
  EXPECT_TRUE(fs::equivalent(fs::path(file), InstallDir() / "morvel.exe")) << file;
  EXPECT_EQ(types, 7u);
  EXPECT_EQ(EventText(file, 1001,
                      {L"-cleanonce", L"24", L"2474", L"1", L"1", L"0", L"0", L"0", L"C:\\r.json"}),
            L"Morvel's unattended clean (-cleanonce) removed 24 items, 2474 bytes.\r\n"
            L"Verified: 1 left (in use: 1, access denied: 0, refused: 0, at restart: 0).\r\n"
            L"Report: C:\\r.json");
  EXPECT_NE(EventText(file, 1000, std::vector<std::wstring>(9, L"0")).find(L"nothing left"),
            std::wstring::npos);
  EXPECT_NE(EventText(file, 1002, {L"schedule", L"cancelled"})
                .find(L"stopped before its end: "
                      L"cancelled"),
            std::wstring::npos);
  const Finished unattended = RunProgram(
      L"\"" + cli.wstring() + L"\" --no clean --unattended \"Windows - Clipboard\"", InstallDir());
  EXPECT_EQ(unattended.status, 0U) << unattended.out;
  EXPECT_NE(unattended.out.find("Verified: nothing left."), std::string::npos) << unattended.out;
  EXPECT_EQ(unattended.out.find("Application log refused"), std::string::npos) << unattended.out;

  // The window opens, and its Help menu opens the help file beside it.
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + (InstallDir() / "morvel.exe").wstring() + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             InstallDir().c_str(), &si, &pi));
  HWND main = WaitForWindow(kMainClass, nullptr);
  EXPECT_NE(main, nullptr);
  if (main != nullptr) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(ID_HELP_HELP, 0), 0);
    HWND help = WaitForWindow(nullptr, L"Morvel Help");
    EXPECT_NE(help, nullptr) << "the Help menu opened no help window";
    if (help != nullptr) PostMessageW(help, WM_CLOSE, 0, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

TEST_F(Installer, SilentUninstallRemovesWhatItInstalledAndKeepsTheUsersFiles) {
  ASSERT_EQ(Install(current_), 0U);
  // What the program writes while it is used: settings, the custom list, kept cookies,
  // and the autorun value of its settings dialog.
  const std::string settings = "[Settings]\r\nFastScan=0\r\n";
  WriteFile(InstallDir() / "settings.ini", settings);
  WriteFile(InstallDir() / "Clist.dat", "[<New List>]\r\n");
  WriteFile(InstallDir() / "Cookies.dat", "[Cookies to keep]\r\nCount=0\r\n");
  const std::wstring autorun = L"\"" + (InstallDir() / "morvel.exe").wstring() + L"\" -Start";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"Morvel", REG_SZ, autorun.c_str(),
                  static_cast<DWORD>((autorun.size() + 1) * sizeof(wchar_t)));
  // The log-on task as the dialog registers it.
  const auto tasks = morvel::platform::win32::MakeWin32LogonTasks();
  ASSERT_TRUE(
      tasks
          ->Register("Morvel", morvel::app::LogonTaskXml((InstallDir() / "morvel.exe").string(),
                                                         tasks->CurrentUser()))
          .ok());
  ASSERT_TRUE(tasks->Exists("Morvel").value);

  ASSERT_EQ(Msiexec(L"/x \"" + current_.msi.wstring() + L"\""), 0U);
  for (const char* name : kInstalled) EXPECT_FALSE(fs::exists(InstallDir() / name)) << name;
  EXPECT_FALSE(HasShortcut());
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(HasAutorun());
  EXPECT_FALSE(tasks->Exists("Morvel").value);
  EXPECT_FALSE(HasEventSource());
  for (const char* name : kUsersOwn) EXPECT_TRUE(fs::exists(InstallDir() / name)) << name;
  EXPECT_EQ(ReadFile(InstallDir() / "settings.ini"), settings);
}

TEST_F(Installer, InstallingOverAnOlderBuildOrAgainLeavesOneEntryAndTheUsersSettings) {
  // A settings.ini that is there already (a copy unpacked from the zip, say) stays.
  const std::string settings = "[NodeSelected]\r\n1=Windows - Clipboard\r\nSelectedCount=1\r\n";
  WriteFile(InstallDir() / "settings.ini", settings);
  ASSERT_EQ(Install(older_), 0U);
  ASSERT_EQ(Entries().size(), 1U);
  EXPECT_EQ(Entries()[0].version, older_.version);
  EXPECT_EQ(ReadFile(InstallDir() / "settings.ini"), settings);

  ASSERT_EQ(Install(current_), 0U);
  std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].version, current_.version);
  EXPECT_EQ(ReadFile(InstallDir() / "settings.ini"), settings);
  EXPECT_EQ(ReadFile(InstallDir() / "Morvel.dat"),
            ReadFile(fs::path(L"Z:" MORVEL_SOURCE_DIR) / "data" / "Morvel.dat"));
  EXPECT_EQ(ReadFile(InstallDir() / "Winapp2.ini"),
            ReadFile(fs::path(L"Z:" MORVEL_SOURCE_DIR) / "data" / "winapp2" / "Winapp2.ini"));

  ASSERT_EQ(Install(current_), 0U);
  entries = Entries();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].version, current_.version);
  for (const char* name : kInstalled) EXPECT_TRUE(fs::exists(InstallDir() / name)) << name;

  // An older build over this one is refused and changes nothing.
  EXPECT_NE(Install(older_), 0U);
  entries = Entries();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].version, current_.version);
}

// On 64-bit Windows either package replaces the other, so that the computer has one Morvel:
// the x86 one in the 32-bit programs' folder, the x64 one in the 64-bit programs' own.
TEST_F(Installer, OnWindows64EitherWidthsPackageReplacesTheOther) {
  if (kArch != L"x64") GTEST_SKIP() << "the x64 build's tests run on 64-bit Windows";
  const Package x86 = PackageIn("MORVEL_MSI_DIR", L"x86");
  ASSERT_FALSE(x86.msi.empty()) << "no x86 installer: scripts/test-win32.sh makes it";
  const fs::path x86_dir = KnownFolder(CSIDL_PROGRAM_FILESX86) / "Morvel";
  ASSERT_NE(x86_dir, InstallDir());
  const auto expect_only = [](const fs::path& folder, const fs::path& other) {
    const std::vector<Entry> entries = Entries();
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(fs::path(entries[0].location), folder / "");
    for (const char* name : kInstalled) {
      EXPECT_TRUE(fs::exists(folder / name)) << folder << " " << name;
      EXPECT_FALSE(fs::exists(other / name)) << other << " " << name;
    }
  };
  ASSERT_EQ(Install(x86), 0U);
  expect_only(x86_dir, InstallDir());
  ASSERT_EQ(Install(current_), 0U);
  expect_only(InstallDir(), x86_dir);
  ASSERT_EQ(Install(x86), 0U);
  expect_only(x86_dir, InstallDir());
  Msiexec(L"/x \"" + x86.msi.wstring() + L"\"");
  std::error_code ignored;
  fs::remove_all(x86_dir, ignored);
}

// Windows refuses a package for 64-bit Windows on 32-bit Windows, and so does the package.
TEST_F(Installer, TheX64PackageRefuses32BitWindows) {
  if (IsWindows64()) GTEST_SKIP() << "this is 64-bit Windows";
  const Package x64 = PackageIn("MORVEL_MSI_DIR", L"x64");
  ASSERT_FALSE(x64.msi.empty()) << "no x64 installer: scripts/test-win32.sh makes it";
  EXPECT_NE(Install(x64), 0U);
  EXPECT_TRUE(Entries().empty());
  for (const char* name : kInstalled) EXPECT_FALSE(fs::exists(InstallDir() / name)) << name;
}

}  // namespace
