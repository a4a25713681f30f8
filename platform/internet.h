#pragma once
// The browser's records of the URLs it fetched and visited: WinINet's URL cache and the
// URL history store.

#include <functional>
#include <string_view>

#include "platform/status.h"

namespace morvel::platform {

// What a walk does with the entry it has just shown.
enum class UrlAction { Next, Delete, Stop };

using UrlVisitor = std::function<UrlAction(std::string_view url)>;

class Internet {
 public:
  virtual ~Internet() = default;

  // Walks the URL cache without a search pattern and shows `visit` each entry's source
  // URL (UTF-8). FindFirstUrlCacheEntry and then each FindNextUrlCacheEntry are first
  // called without a buffer to learn the size they need (ERROR_INSUFFICIENT_BUFFER), then
  // with one of that size; every buffer is freed after use. Delete removes the entry
  // (DeleteUrlCacheEntry) and the walk goes on; Stop ends it. The walk ends at
  // ERROR_NO_MORE_ITEMS and at any other failure.
  virtual void WalkUrlCache(const UrlVisitor& visit) = 0;

  // Walks the URL history store (the URL history object's IUrlHistoryStg2: EnumUrls, then
  // Next one STATURL at a time, its strings released with CoTaskMemFree), with COM entered
  // on the calling thread for the duration of the call. Delete removes the URL (DeleteUrl,
  // flags 0); the walk ends when Next returns S_FALSE or fails, when DeleteUrl returns
  // S_FALSE, or on Stop. NotFound when the store cannot be created or enumerated.
  virtual Status WalkUrlHistory(const UrlVisitor& visit) = 0;
};

}  // namespace morvel::platform
