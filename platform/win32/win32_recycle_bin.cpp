#include "platform/win32/win32_recycle_bin.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_dynamic.h"

namespace morvel::platform::win32 {
namespace {

// Shell32.dll is loaded for each call and freed after it, as the bins are touched rarely.
using EmptyFunction = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
using QueryFunction = HRESULT(WINAPI*)(LPCSTR, LPSHQUERYRBINFO);

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

Status EmptyAllRecycleBins() {
  const Library shell = Library::Load(L"shell32.dll");
  const auto empty = shell.Find<EmptyFunction>("SHEmptyRecycleBinA");
  if (!empty) return Status::Error(ErrorKind::NotFound, ERROR_PROC_NOT_FOUND);
  const HRESULT result =
      empty(nullptr, "", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  if (SUCCEEDED(result)) return Status::Ok();
  // Windows answers E_UNEXPECTED when there was nothing to empty; that is only a failure
  // when something is still left.
  if (result == E_UNEXPECTED) {
    const auto query = shell.Find<QueryFunction>("SHQueryRecycleBinA");
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    if (query && SUCCEEDED(query("", &info)) && info.i64NumItems == 0) return Status::Ok();
  }
  return Status::Error(ErrorKind::Other, static_cast<std::uint32_t>(result));
}

Result<RecycleBinContents> QueryDriveRecycleBin(char letter) {
  if (!IsLetter(letter)) return Result<RecycleBinContents>::Of({});
  const Library shell = Library::Load(L"shell32.dll");
  const auto query = shell.Find<QueryFunction>("SHQueryRecycleBinA");
  if (!query) return Result<RecycleBinContents>::Failed(ErrorKind::NotFound, ERROR_PROC_NOT_FOUND);
  const char root[] = {letter, ':', '\\', '\0'};
  SHQUERYRBINFO info{};
  info.cbSize = sizeof(info);
  if (const HRESULT result = query(root, &info); FAILED(result))
    return Result<RecycleBinContents>::Failed(ErrorKind::Other, static_cast<std::uint32_t>(result));
  return Result<RecycleBinContents>::Of({info.i64NumItems, info.i64Size});
}

}  // namespace morvel::platform::win32
