// The Internet Explorer items through morvel-cli.exe on the real machine (the project's
// private Wine prefix): entries committed to the real WinINet cache, cookies set through
// WinINet, typed URLs in the real registry. Only on a machine that is there to be cleaned.

#include <windows.h>

#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_util.h"
#include "tests/harness/scratch_win32.h"
#include "tests/harness/windows_traces.h"

namespace morvel {
namespace {

using platform::win32::Narrow;

// The folder of this test program, with a trailing "\".
std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// morvel-cli.exe (beside the tests' folder) with `arguments`; its exit status.
DWORD RunCli(const std::wstring& arguments) {
  const std::wstring exe = ProgramFolder() + L"..\\morvel-cli.exe";
  std::wstring command = L"\"" + exe + L"\" --yes " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 120000);
  DWORD status = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

// Commits a small page for `url`; the cache's file of it, empty on failure.
std::wstring Commit(const std::wstring& url) {
  wchar_t file[MAX_PATH + 1] = {};
  if (!CreateUrlCacheEntryW(url.c_str(), 0, L"htm", file, 0)) {
    ADD_FAILURE() << "CreateUrlCacheEntry: " << GetLastError();
    return {};
  }
  const HANDLE out =
      CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (out != INVALID_HANDLE_VALUE) {
    WriteFile(out, "<html></html>", 13, &written, nullptr);
    CloseHandle(out);
  }
  const FILETIME none{};
  if (!CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, L"htm",
                            nullptr))
    ADD_FAILURE() << "CommitUrlCacheEntry: " << GetLastError();
  return file;
}

bool InCache(const std::wstring& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  std::vector<std::uint64_t> buffer(size / 8 + 1);
  return GetUrlCacheEntryInfoW(url.c_str(),
                               reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size);
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::vector<std::wstring> TextFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*.txt").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

class IeRealMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RefuseUnlessThrowaway();
    testing::RemoveCleanerTraces();
  }
  void TearDown() override {
    DeleteFileW((ProgramFolder() + L"..\\Cookies.dat").c_str());
    testing::RemoveCleanerTraces();
  }
};

// First: the cache item below removes the cache's sub-folders, and WinINet in this process,
// which still lists them, then fails to create entries (ERROR_PATH_NOT_FOUND).
TEST_F(IeRealMachine, AfterTheIndexWipeWinInetStillCommitsAndFindsEntries) {
  Commit(L"http://morvel-real.test/before.htm");
  // The indexes go at the next start: the verify pass finds them left, and the status says so.
  EXPECT_EQ(RunCli(L"clean \"Internet Explorer - Index.dat Files\" \"Internet Explorer - "
                   L"Autocomplete History\""),
            3u);
  Commit(L"http://morvel-real.test/after.htm");
  EXPECT_TRUE(InCache(L"http://morvel-real.test/after.htm"));
}

TEST_F(IeRealMachine, VisitedUrlHistoryRemovesExactlyThePlainHttpCacheEntries) {
  const std::wstring plain = L"http://morvel-real.test/visited.htm";
  const std::wstring secure = L"https://morvel-real.test/secure.htm";
  const std::wstring capitals = L"HTTP://morvel-real.test/capitals.htm";
  for (const std::wstring& url : {plain, secure, capitals}) ASSERT_FALSE(Commit(url).empty());
  ASSERT_TRUE(InCache(plain));
  EXPECT_EQ(RunCli(L"clean \"Internet Explorer - Visited URL History\""), 0u);
  EXPECT_FALSE(InCache(plain));
  EXPECT_TRUE(InCache(secure));
  EXPECT_TRUE(InCache(capitals));
}

TEST_F(IeRealMachine, CookiesGoButTheKeptOneAndTheCacheFolderIsEmptied) {
  const std::wstring cookies = ShellFolder(CSIDL_COOKIES);
  ASSERT_FALSE(cookies.empty());
  for (const wchar_t* site : {L"http://keep.morvel-real.test/", L"http://gone.morvel-real.test/"})
    ASSERT_TRUE(InternetSetCookieW(site, nullptr, L"id=1; expires=Fri, 31-Dec-2038 23:59:59 GMT"))
        << GetLastError();
  const std::vector<std::wstring> set = TextFiles(cookies);
  ASSERT_EQ(set.size(), 2u) << "Wine writes one .txt file per cookie with an expiry";
  // Wine names the files after the cookies' sites; whichever comes first is kept.
  const std::wstring kept = set.front();
  const std::string ini = "[Cookies to keep]\r\nCount=1\r\n0=" + Narrow(kept) + "\r\n";
  const HANDLE out = CreateFileW((ProgramFolder() + L"..\\Cookies.dat").c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(out, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
  CloseHandle(out);

  const std::wstring page = Commit(L"http://morvel-real.test/page.htm");
  ASSERT_NE(GetFileAttributesW(page.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RunCli(L"clean \"Internet Explorer - Cookies\" \"Internet Explorer - Temporary "
                   L"Internet Files\""),
            0u);
  EXPECT_EQ(TextFiles(cookies), std::vector<std::wstring>{kept});
  EXPECT_EQ(GetFileAttributesW(page.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(page);
}

TEST_F(IeRealMachine, TypedUrlsGoFromTheRealRegistry) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs",
                            0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t url[] = L"http://typed.morvel-real.test/";
  RegSetValueExW(key, L"url1", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof(url));
  RegCloseKey(key);
  EXPECT_EQ(RunCli(L"clean \"Internet Explorer - Recently Typed URLs\""), 0u);
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs",
                          0, KEY_READ, &key),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace morvel
