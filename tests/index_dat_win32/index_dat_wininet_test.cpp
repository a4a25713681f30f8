// The index.dat reader on a file written by the real WinINet: entries committed to the URL
// cache are found in the cache's own index.dat, which WinINet may hold open meanwhile.

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_machine.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"

namespace morvel {
namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c));  // ASCII URLs only
  return out;
}

// Commits one URL with a small body, as a browser caches a page.
void CommitEntry(const std::wstring& url) {
  wchar_t file[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"html", file, 0)) << GetLastError();
  const HANDLE h =
      CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const char body[] = "<html>morvel</html>";
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, body, sizeof body - 1, &written, nullptr));
  CloseHandle(h);
  const FILETIME none{};
  ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0,
                                   nullptr, nullptr))
      << GetLastError();
}

TEST(IndexDatWinInet, ListsEveryUrlCommittedToTheCache) {
  // Fixed URLs: WinINet places an entry by the hash of its URL, so the same URLs land in
  // the same hash slots on every run.
  std::vector<std::wstring> urls;
  for (int i = 0; i < 1000; ++i)
    urls.push_back(L"http://morvel-" + std::to_wstring(i) + L".example/page" +
                   std::to_wstring(i * 7) + L".html");
  for (const auto& url : urls) CommitEntry(url);

  auto machine = platform::win32::Win32Machine::Open();
  std::string folder = machine->system().SpecialFolderPath(platform::SpecialFolder::InternetCache);
  ASSERT_FALSE(folder.empty());
  if (!folder.ends_with('\\')) folder += '\\';
  const std::string index = folder + "Content.IE5\\index.dat";

  IndexDatRows rows;
  const auto status = ReadIndexDatFile(machine->files(), index, 0, rows, nullptr);
  ASSERT_TRUE(status.ok()) << index << ": " << platform::ErrorKindName(status.kind);

  for (const auto& url : urls) {
    const std::string wanted = Narrow(url);
    std::size_t row = 0;
    while (row < rows.size() && rows.Url(row) != wanted) ++row;
    ASSERT_LT(row, rows.size()) << wanted << " not in " << index << " (" << rows.size() << " rows)";
    const std::string time = LastModifiedText(machine->system(), rows.FileTime(row));
    // Written just now: a date of this century in the user's format.
    EXPECT_NE(time, kTimeNotAvailable) << wanted;
    EXPECT_NE(time.find("20"), std::string::npos) << wanted << ": " << time;
  }
  for (const auto& url : urls) DeleteUrlCacheEntryW(url.c_str());
}

}  // namespace
}  // namespace morvel
