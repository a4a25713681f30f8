#pragma once
// The folders and the administrator test behind Win32SystemInfo.

#include <string>
#include <vector>

#include "platform/system_info.h"

namespace morvel::platform::win32 {

// GetWindowsDirectory without a trailing "\"; empty text when it fails.
std::string WindowsFolderPath();

// GetSystemDirectory without a trailing "\"; empty text when it fails.
std::string SystemFolderPath();

// GetTempPath into a buffer of 254 characters, with its trailing "\"; empty text when the
// call fails or the path does not fit.
std::string TempFolderPath();

// GetDriveType of "<letter>:\"; NoRootDir for anything but a letter.
DriveType DriveTypeOfRoot(char letter);

// CSIDL_PERSONAL and CSIDL_INTERNET_CACHE through SHGetSpecialFolderPath; CSIDL_APPDATA
// and CSIDL_RECENT through SHGetSpecialFolderLocation and SHGetPathFromIDList, after ending
// WinINet's browser session; the profile, local and common application data, music,
// pictures and videos through SHGetFolderPath; LocalLow and Public through
// SHGetKnownFolderPath. Without a trailing "\"; empty text when the lookup fails.
std::string SpecialFolderLookup(SpecialFolder folder);

// The profile, Desktop, Documents, Pictures, Music, Videos, Downloads and application-data
// folders (SHGetFolderPath, and SHGetKnownFolderPath for Downloads where Windows has it),
// without trailing "\"; the ones Windows cannot tell are left out.
std::vector<std::string> UserDataFolderPaths();

// InternetSetOption(NULL, INTERNET_OPTION_END_BROWSER_SESSION, NULL, 0).
void EndWinInetBrowserSession();

// Whether the thread's token (or the process's, when the thread has none) holds the
// BUILTIN\Administrators group.
bool TokenHoldsAdministrators();

}  // namespace morvel::platform::win32
