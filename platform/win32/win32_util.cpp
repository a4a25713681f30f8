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
