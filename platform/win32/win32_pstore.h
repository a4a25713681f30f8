#pragma once
// The Protected Storage of the real machine: the system's pstorec.dll, loaded once when
// the machine is opened and freed when it goes (and the last provider made from it is
// released), and its providers' IPStore interfaces called through their vtables.

#include <memory>

#include "platform/protected_storage.h"

namespace morvel::platform::win32 {

// Loads pstorec.dll and looks up PStoreCreateInstance now. Never fails: without the
// library or its export the store is unavailable.
std::unique_ptr<ProtectedStorage> MakeWin32ProtectedStorage();

}  // namespace morvel::platform::win32
