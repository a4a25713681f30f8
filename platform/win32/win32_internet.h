#pragma once
// WinINet's URL cache and the URL history store of the real machine.

#include <memory>

#include "platform/internet.h"

namespace morvel::platform::win32 {

std::unique_ptr<Internet> MakeWin32Internet();

}  // namespace morvel::platform::win32
