#pragma once
// Results of port operations. Every operation that can fail says how, with a small
// portable error kind that the emulated machine can produce as well as Windows.

#include <cstdint>
#include <string>
#include <utility>

namespace morvel::platform {

enum class ErrorKind {
  None,
  NotFound,         // file, folder, key or value missing
  AccessDenied,     // rights, read-only, or a folder where a file was expected
  InUse,            // locked by another process (sharing violation)
  AlreadyExists,    // creating what is there
  InvalidArgument,  // malformed path or name
  Link,             // a symbolic link or junction where a plain file or folder must stand
  HardLinked,       // a file with more than one name where only a file of its own may be written
  Other,            // anything else; `system_code` tells more
};

struct Status {
  ErrorKind kind = ErrorKind::None;
  std::uint32_t system_code = 0;  // Win32 error code where there is one, else 0

  [[nodiscard]] bool ok() const { return kind == ErrorKind::None; }
  explicit operator bool() const { return ok(); }

  static Status Ok() { return {}; }
  static Status Error(ErrorKind kind, std::uint32_t code = 0) { return {kind, code}; }
};

// A value or the reason there is none. On failure `value` is default-constructed.
template <class T>
struct Result {
  T value{};
  Status status;

  [[nodiscard]] bool ok() const { return status.ok(); }
  explicit operator bool() const { return ok(); }

  static Result Of(T v) { return Result{std::move(v), Status::Ok()}; }
  static Result Failed(ErrorKind kind, std::uint32_t code = 0) {
    return Result{T{}, Status::Error(kind, code)};
  }
};

const char* ErrorKindName(ErrorKind kind);

}  // namespace morvel::platform
