#pragma once
// COM as the Win32 backend uses it: interface pointers owned, and COM entered on the
// calling thread for as long as one call needs it.

#include <objbase.h>

#include <memory>

namespace morvel::platform::win32 {

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComReleaser>;

// COM entered on this thread for one call; left again only when entering succeeded (a
// thread that entered it otherwise keeps it as it was).
class ComScope {
 public:
  ComScope() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (entered_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool entered_;
};

}  // namespace morvel::platform::win32
