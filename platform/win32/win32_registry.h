#pragma once
// The registry through advapi32. Keys are opened without creating them, except by
// CreateKey and WriteValue; every handle is closed before the call returns.

#include <memory>

#include "platform/registry.h"

namespace morvel::platform::win32 {

// Failures come back as the port's error kinds with the Win32 code: a missing key or
// value is NotFound, missing rights AccessDenied; DeleteTree of a root is refused with
// InvalidArgument before anything is touched.
std::unique_ptr<Registry> MakeWin32Registry();

}  // namespace morvel::platform::win32
