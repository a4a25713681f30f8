#include "platform/win32/win32_system_facts.h"

#include <windows.h>

#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "platform/win32/win32_dynamic.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

std::string WithoutTrailingSeparator(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return Narrow(path);
}

struct ItemListFreer {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

struct SidFreer {
  void operator()(void* sid) const { FreeSid(sid); }
};

// The thread's own token when it impersonates someone, else the process's.
UniqueHandle OpenEffectiveToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return UniqueHandle(token);
  if (GetLastError() != ERROR_NO_TOKEN) return nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return UniqueHandle(token);
  return nullptr;
}

// The token's groups. A fixed 1024-byte buffer is too small for a token with many groups
// (a domain user's), which would then count as no administrator; so the size Windows
// asks for is taken when it asks for more.
std::vector<std::byte> GroupsOf(HANDLE token) {
  std::vector<std::byte> buffer(1024);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    if (GetTokenInformation(token, TokenGroups, buffer.data(), static_cast<DWORD>(buffer.size()),
                            &needed))
      return buffer;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return {};
    buffer.resize(needed);  // groups may be added between the calls: try again
  }
  return {};
}

// A folder from GetWindowsDirectory or GetSystemDirectory, which return 0 on failure, the
// length when the path fits and the size they need (with the terminating zero) when not.
std::string FolderFrom(UINT(WINAPI* get)(LPWSTR, UINT)) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const UINT length = get(path.data(), static_cast<UINT>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return WithoutTrailingSeparator(std::move(path));
    }
    path.resize(length + 1);
  }
  return {};
}

// SHGetSpecialFolderLocation and SHGetPathFromIDList, after ending the browser session.
bool ItemListPath(int csidl, wchar_t* path) {
  EndWinInetBrowserSession();
  LPITEMIDLIST raw = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || raw == nullptr) return false;
  const std::unique_ptr<ITEMIDLIST, ItemListFreer> list(raw);
  return SHGetPathFromIDListW(list.get(), path);
}

constexpr GUID kDownloads = {
    0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
constexpr GUID kLocalAppDataLow = {
    0xa520a1a4, 0x1780, 0x4ff6, {0xbd, 0x18, 0x16, 0x73, 0x43, 0xc5, 0xaf, 0x16}};
constexpr GUID kPublic = {
    0xdfdf76a2, 0xc82a, 0x4d63, {0x90, 0x6a, 0x56, 0x44, 0xac, 0x45, 0x73, 0x85}};

// A known folder of Vista and later, without a trailing "\"; empty text where Windows has
// none. The shell's lookup is loaded for the call rather than imported, so the program
// still starts on Windows XP.
std::string KnownFolderPath(const GUID& id) {
  using GetKnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  const auto lookup =
      Library::Loaded(L"shell32.dll").Find<GetKnownFolderPath>("SHGetKnownFolderPath");
  if (lookup == nullptr) return {};
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(lookup(id, 0, nullptr, &path)) && path != nullptr)
    folder = WithoutTrailingSeparator(path);
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

std::string WindowsFolderPath() { return FolderFrom(GetWindowsDirectoryW); }

std::string SystemFolderPath() { return FolderFrom(GetSystemDirectoryW); }

std::string TempFolderPath() {
  // A path that does not fit is a failure here, not a reason for a bigger buffer: the
  // cleaner must not clean a folder it could not name in full.
  constexpr DWORD kBuffer = 254;
  wchar_t path[kBuffer] = {};
  const DWORD length = GetTempPathW(kBuffer, path);
  if (length == 0 || length >= kBuffer) return {};
  return Narrow(std::wstring_view(path, length));
}

DriveType DriveTypeOfRoot(char letter) {
  const bool is_letter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
  if (!is_letter) return DriveType::NoRootDir;
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  switch (GetDriveTypeW(root)) {
    case DRIVE_NO_ROOT_DIR:
      return DriveType::NoRootDir;
    case DRIVE_REMOVABLE:
      return DriveType::Removable;
    case DRIVE_FIXED:
      return DriveType::Fixed;
    case DRIVE_REMOTE:
      return DriveType::Remote;
    case DRIVE_CDROM:
      return DriveType::CdRom;
    case DRIVE_RAMDISK:
      return DriveType::RamDisk;
    default:
      return DriveType::Unknown;
  }
}

std::string SpecialFolderLookup(SpecialFolder folder) {
  wchar_t path[MAX_PATH + 1] = {};
  // The folders of programs of today, as the shell tells every program.
  const auto folder_path = [&path](int csidl) {
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path));
  };
  switch (folder) {
    case SpecialFolder::Personal:
      if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE)) return {};
      break;
    // The browser's three folders as Internet Explorer's own tools look them up.
    case SpecialFolder::InternetCache:
      if (!ItemListPath(CSIDL_INTERNET_CACHE, path)) return {};
      break;
    case SpecialFolder::Cookies:
      if (!ItemListPath(CSIDL_COOKIES, path)) return {};
      break;
    case SpecialFolder::History:
      if (!ItemListPath(CSIDL_HISTORY, path)) return {};
      break;
    case SpecialFolder::AppData:
      if (!ItemListPath(CSIDL_APPDATA, path)) return {};
      break;
    case SpecialFolder::Recent:
      if (!ItemListPath(CSIDL_RECENT, path)) return {};
      break;
    case SpecialFolder::Profile:
      if (!folder_path(CSIDL_PROFILE)) return {};
      break;
    case SpecialFolder::LocalAppData:
      if (!folder_path(CSIDL_LOCAL_APPDATA)) return {};
      break;
    case SpecialFolder::CommonAppData:
      if (!folder_path(CSIDL_COMMON_APPDATA)) return {};
      break;
    case SpecialFolder::Music:
      if (!folder_path(CSIDL_MYMUSIC)) return {};
      break;
    case SpecialFolder::Pictures:
      if (!folder_path(CSIDL_MYPICTURES)) return {};
      break;
    case SpecialFolder::Videos:
      if (!folder_path(CSIDL_MYVIDEO)) return {};
      break;
    // No CSIDL names these two: Windows before Vista has neither.
    case SpecialFolder::LocalLowAppData:
      return KnownFolderPath(kLocalAppDataLow);
    case SpecialFolder::Public:
      return KnownFolderPath(kPublic);
  }
  path[MAX_PATH] = L'\0';
  return WithoutTrailingSeparator(path);
}

std::vector<std::string> UserDataFolderPaths() {
  std::vector<std::string> folders;
  const auto add = [&folders](const wchar_t* path) {
    std::string folder = WithoutTrailingSeparator(path);
    if (!folder.empty()) folders.push_back(std::move(folder));
  };
  for (const int csidl : {CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES,
                          CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA}) {
    wchar_t path[MAX_PATH + 1] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) add(path);
  }
  // Downloads has no CSIDL; its known folder exists from Vista on.
  std::string downloads = KnownFolderPath(kDownloads);
  if (!downloads.empty()) folders.push_back(std::move(downloads));
  return folders;
}

void EndWinInetBrowserSession() {
  InternetSetOptionW(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0);
}

bool TokenHoldsAdministrators() {
  const UniqueHandle token = OpenEffectiveToken();
  if (!token) return false;
  std::vector<std::byte> buffer = GroupsOf(token.get());
  if (buffer.empty()) return false;

  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID raw = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &raw))
    return false;
  const std::unique_ptr<void, SidFreer> administrators(raw);

  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (EqualSid(groups->Groups[i].Sid, administrators.get())) return true;
  return false;
}

}  // namespace morvel::platform::win32
