#include "platform/win32/win32_internet.h"

#include <windows.h>

#include <objbase.h>
#include <urlhist.h>
#include <wininet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

// The URL history object and its IUrlHistoryStg2, by value: no uuid library needed.
constexpr CLSID kUrlHistory = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr IID kUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// A cache entry's buffer, aligned for the structure WinINet writes at its start.
class EntryBuffer {
 public:
  INTERNET_CACHE_ENTRY_INFOW* Sized(DWORD bytes) {
    words_.assign((bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t) + 1, 0);
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(words_.data());
  }
  void Free() { std::vector<std::uint64_t>().swap(words_); }

 private:
  std::vector<std::uint64_t> words_;
};

struct CacheFindCloser {
  void operator()(HANDLE find) const { FindCloseUrlCache(find); }
};

class Win32Internet final : public Internet {
 public:
  void WalkUrlCache(const UrlVisitor& visit) override {
    EntryBuffer buffer;
    DWORD size = 0;
    // First without a buffer, to learn its size.
    if (HANDLE none = FindFirstUrlCacheEntryW(nullptr, nullptr, &size)) {
      FindCloseUrlCache(none);
      return;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    INTERNET_CACHE_ENTRY_INFOW* entry = buffer.Sized(size);
    const std::unique_ptr<void, CacheFindCloser> find(
        FindFirstUrlCacheEntryW(nullptr, entry, &size));
    if (!find) return;
    while (true) {
      const std::wstring url = entry->lpszSourceUrlName ? entry->lpszSourceUrlName : L"";
      buffer.Free();
      const UrlAction action = visit(Narrow(url));
      if (action == UrlAction::Delete) DeleteUrlCacheEntryW(url.c_str());
      if (action == UrlAction::Stop) return;
      size = 0;
      if (FindNextUrlCacheEntryW(find.get(), nullptr, &size)) return;  // no entry to show
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;         // ERROR_NO_MORE_ITEMS
      entry = buffer.Sized(size);
      if (!FindNextUrlCacheEntryW(find.get(), entry, &size)) return;
    }
  }

  Status WalkUrlHistory(const UrlVisitor& visit) override {
    const ComScope com;
    IUrlHistoryStg2* raw_store = nullptr;
    if (FAILED(CoCreateInstance(kUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2,
                                reinterpret_cast<void**>(&raw_store))) ||
        raw_store == nullptr)
      return Status::Error(ErrorKind::NotFound);
    const ComPtr<IUrlHistoryStg2> store(raw_store);
    IEnumSTATURL* raw_urls = nullptr;
    if (FAILED(store->EnumUrls(&raw_urls)) || raw_urls == nullptr)
      return Status::Error(ErrorKind::NotFound);
    const ComPtr<IEnumSTATURL> urls(raw_urls);
    STATURL stat{};
    stat.cbSize = sizeof(stat);
    while (true) {
      ULONG fetched = 0;
      if (urls->Next(1, &stat, &fetched) != S_OK || fetched == 0) break;
      const std::wstring url = stat.pwcsUrl ? stat.pwcsUrl : L"";
      CoTaskMemFree(stat.pwcsUrl);
      CoTaskMemFree(stat.pwcsTitle);
      stat.pwcsUrl = nullptr;
      stat.pwcsTitle = nullptr;
      const UrlAction action = visit(Narrow(url));
      if (action == UrlAction::Stop) break;
      if (action == UrlAction::Delete && store->DeleteUrl(url.c_str(), 0) == S_FALSE) break;
    }
    return Status::Ok();
  }
};

}  // namespace

std::unique_ptr<Internet> MakeWin32Internet() { return std::make_unique<Win32Internet>(); }

}  // namespace morvel::platform::win32
