#include "platform/win32/win32_util.h"

#include "common/text.h"

namespace morvel::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

std::wstring Wide(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end()));
}

namespace {

// "<Windows>\" where Windows redirects this program's System32, empty text elsewhere.
std::wstring FindRedirectingWindowsFolder() {
#ifdef _WIN64
  return {};
#else
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return {};
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring windows(folder, length);
  if (windows.back() != L'\\') windows += L'\\';
  return windows;
#endif
}

// Asked of Windows once.
const std::wstring& RedirectingWindowsFolder() {
  static const std::wstring windows = FindRedirectingWindowsFolder();
  return windows;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Whether `text` (with "/" or "\" between names) is `name`, without regard to case.
bool SameName(std::wstring text, std::wstring_view name) {
  for (wchar_t& c : text)
    if (c == L'/') c = L'\\';
  return CompareStringOrdinal(text.c_str(), static_cast<int>(text.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

RealSystemFolder::RealSystemFolder() {
#ifndef _WIN64
  if (!RedirectingWindowsFolder().empty())
    turned_off_ = Wow64DisableWow64FsRedirection(&previous_) != FALSE;
#endif
}

RealSystemFolder::~RealSystemFolder() {
#ifndef _WIN64
  if (turned_off_) Wow64RevertWow64FsRedirection(previous_);
#endif
}

std::wstring FilePath(std::string_view utf8) { return Unredirected(Wide(utf8)); }

std::wstring Unredirected(std::wstring path) {
  const std::wstring& windows = RedirectingWindowsFolder();
  if (windows.empty()) return path;
  const bool literal = path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\");
  const std::size_t start = literal ? 4 : 0;
  constexpr std::wstring_view kSystem = L"System32";
  const std::size_t end = start + windows.size() + kSystem.size();
  if (path.size() < end || (path.size() > end && !IsSeparator(path[end]))) return path;
  if (!SameName(path.substr(start, windows.size()), windows) ||
      !SameName(path.substr(start + windows.size(), kSystem.size()), kSystem))
    return path;
  return path.replace(start + windows.size(), kSystem.size(), L"Sysnative");
}

ErrorKind KindOf(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return ErrorKind::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ErrorKind::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_DIRECTORY:  // a file where a folder was expected
      return ErrorKind::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return ErrorKind::InUse;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return ErrorKind::AlreadyExists;
    case ERROR_INVALID_NAME:
      return ErrorKind::InvalidArgument;
    case kErrorLinkMet:
      return ErrorKind::Link;
    default:
      return ErrorKind::Other;
  }
}

Status StatusOf(DWORD error) {
  if (error == ERROR_SUCCESS) return Status::Ok();
  return Status::Error(KindOf(error), error);
}

}  // namespace morvel::platform::win32
