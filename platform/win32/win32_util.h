#pragma once
// Shared pieces of the Win32 backend: UTF-8 <-> UTF-16 at the port's edge, Win32 error
// codes as port errors, and owners for the handles the backend opens.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/status.h"

namespace morvel::platform::win32 {

// The port speaks UTF-8; the "W" functions want UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Whether text holds a zero character: the "W" functions would read it only up to there,
// and act on a shorter path or key than the one asked for, so the backend refuses it
// (InvalidArgument).
inline bool HoldsNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// A path for the file functions: Wide(path), with "<Windows>\System32" (also after "\\?\" or
// "\\.\") spelled "<Windows>\Sysnative" in a 32-bit program on 64-bit Windows. There Windows
// would give such a program SysWOW64 in System32's place, and the file it logs under the
// System32 name would not be the file it removes; Sysnative is Windows' name for the real
// System32. Elsewhere (32-bit Windows, the 64-bit build) the path is only converted.
std::wstring FilePath(std::string_view utf8);
// The same for a path in UTF-16 already.
std::wstring Unredirected(std::wstring path);

// While it lives, the file functions of this thread see the real System32 under WOW64: an
// open relative to a held folder is redirected by the name of that folder too, so the
// real System32 held (as Sysnative) would hand out SysWOW64's file of the same name. Only
// what opens no program file (no DLL loads) may run while it lives. Does nothing where
// nothing is redirected.
class RealSystemFolder {
 public:
  RealSystemFolder();
  ~RealSystemFolder();
  RealSystemFolder(const RealSystemFolder&) = delete;
  RealSystemFolder& operator=(const RealSystemFolder&) = delete;

 private:
  void* previous_ = nullptr;
  bool turned_off_ = false;
};

// A 64-bit number from the two halves Win32 gives it in (sizes, file indexes).
inline std::uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

// A link where none may be followed; the SDK's ERROR_REPARSE_POINT_ENCOUNTERED, which
// mingw's headers lack.
inline constexpr DWORD kErrorLinkMet = 4395;

// ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND -> NotFound, ERROR_ACCESS_DENIED and
// ERROR_DIRECTORY (a file where a folder was expected) -> AccessDenied, sharing and lock violations
// -> InUse, ERROR_ALREADY_EXISTS and ERROR_FILE_EXISTS -> AlreadyExists, ERROR_INVALID_NAME ->
// InvalidArgument, anything else Other. ERROR_SUCCESS -> None.
ErrorKind KindOf(DWORD error);
// A Status carrying the kind and the code (Ok for ERROR_SUCCESS).
Status StatusOf(DWORD error);
template <class T>
Result<T> FailedWith(DWORD error) {
  return Result<T>::Failed(KindOf(error), error);
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;
// CreateFile reports failure as INVALID_HANDLE_VALUE, not null: an owner of nothing then.
inline UniqueHandle OwnFile(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct FindCloser {
  void operator()(HANDLE handle) const { FindClose(handle); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;
inline UniqueFind OwnFind(HANDLE handle) {
  return UniqueFind(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace morvel::platform::win32
