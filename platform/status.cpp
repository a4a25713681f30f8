#include "platform/status.h"

namespace morvel::platform {

const char* ErrorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::None:
      return "ok";
    case ErrorKind::NotFound:
      return "not found";
    case ErrorKind::AccessDenied:
      return "access denied";
    case ErrorKind::InUse:
      return "in use";
    case ErrorKind::AlreadyExists:
      return "already exists";
    case ErrorKind::InvalidArgument:
      return "invalid argument";
    case ErrorKind::Link:
      return "a link";
    case ErrorKind::HardLinked:
      return "another name";
    case ErrorKind::Other:
      return "failed";
  }
  return "failed";
}

}  // namespace morvel::platform
