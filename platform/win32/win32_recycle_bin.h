#pragma once
// The shell's recycle bins, through Shell32.dll loaded for each call.

#include "platform/file_system.h"

namespace morvel::platform::win32 {

// SHEmptyRecycleBinA for every drive, without confirmation, progress window or sound.
// NotFound when Shell32.dll or the function is missing; Other (with the HRESULT) when the
// shell fails. A bin that was empty already is no failure.
Status EmptyAllRecycleBins();

// SHQueryRecycleBinA of "<letter>:\": items and bytes. A non-letter gives an empty bin
// rather than reaching the shell, which would read "" as every drive.
Result<RecycleBinContents> QueryDriveRecycleBin(char letter);

}  // namespace morvel::platform::win32
