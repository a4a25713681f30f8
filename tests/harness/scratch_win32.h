#pragma once
// Scratch folders for the Windows halves of the tests: made and removed with the system's
// own functions, never with the code under test.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvel::testing::win32 {

// The user's temp folder, ending with "\".
std::wstring TempFolder();

// Removes a folder with everything in it. Links and junctions go as links: a scratch
// folder's cleanup never reaches what they lead to.
void RemoveTree(const std::wstring& folder);

bool RunningOnWine();

// Whether this is 64-bit Windows, whatever this program's own width.
bool IsWindows64();

// Removes the key `path` below `root` with everything in it, in the registry view `view`
// (KEY_WOW64_64KEY or KEY_WOW64_32KEY), naming the view at every step: a sub-key opened
// without it would be looked up in this program's own view.
void DeleteKeyTree(HKEY root, const std::wstring& path, REGSAM view);

// The process's environment variable, empty when it is not set.
std::wstring Environment(const wchar_t* name);

// Makes `link` a junction (a mount point) to `target`; ERROR_SUCCESS or the Windows error.
DWORD MakeJunction(const std::wstring& link, const std::wstring& target);

// Whether `path` is a reparse point. Some Wine versions report success for links they do
// not make, so tests check what they got.
bool IsLink(const std::wstring& path);

// Puts `text` on the clipboard as Unicode text owned by the window `owner`. nullopt when
// done; why not when the clipboard cannot be opened here. Throws when it refuses the data.
std::optional<std::string> PutClipboardText(HWND owner, std::string_view text);

}  // namespace morvel::testing::win32
