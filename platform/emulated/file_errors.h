#pragma once
// The port errors the emulated files report, with the Win32 codes Windows gives for them,
// so that callers see what Windows reports.

#include <cerrno>
#include <cstdint>

#include "platform/status.h"

namespace morvel::platform::emulated {

inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorDirNotEmpty = 145;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorDirectory = 267;  // "the directory name is invalid"
inline constexpr std::uint32_t kErrorLinkMet = 4395;   // ERROR_REPARSE_POINT_ENCOUNTERED

inline Status AccessDenied() { return Status::Error(ErrorKind::AccessDenied, kErrorAccessDenied); }
inline Status InUse() { return Status::Error(ErrorKind::InUse, kErrorSharingViolation); }
inline Status FileNotFound() { return Status::Error(ErrorKind::NotFound, kErrorFileNotFound); }
inline Status PathNotFound() { return Status::Error(ErrorKind::NotFound, kErrorPathNotFound); }
// A file where a folder was expected.
inline Status NotAFolder() { return Status::Error(ErrorKind::AccessDenied, kErrorDirectory); }
// A link where none may be followed.
inline Status LinkMet() { return Status::Error(ErrorKind::Link, kErrorLinkMet); }
inline Status FolderNotEmpty() { return Status::Error(ErrorKind::Other, kErrorDirNotEmpty); }

// A host errno as the port error Windows would give in its place.
inline Status FromErrno(int error) {
  switch (error) {
    case 0:
      return Status::Ok();
    case ENOENT:
    case ENOTDIR:
      return PathNotFound();
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP:
    case EISDIR:
      return AccessDenied();
    case EEXIST:
      return Status::Error(ErrorKind::AlreadyExists, kErrorAlreadyExists);
    case ENOTEMPTY:
      return FolderNotEmpty();
    case ENOSPC:
    case EDQUOT:
      return Status::Error(ErrorKind::Other, kErrorDiskFull);
    default:
      return Status::Error(ErrorKind::Other);
  }
}

template <class T>
Result<T> Fail(const Status& status) {
  return Result<T>{T{}, status};
}

}  // namespace morvel::platform::emulated
