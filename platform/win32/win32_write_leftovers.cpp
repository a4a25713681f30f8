#include "platform/win32/win32_write_leftovers.h"

#include <cwchar>
#include <optional>

#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {

namespace {

constexpr std::wstring_view kPrefix = L"~mv";
constexpr std::wstring_view kSuffix = L".tmp";

// The writer's process id of a temporary's name; nullopt for any other name.
std::optional<DWORD> WriterOf(std::wstring_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const std::size_t dash = name.find(L'-');
  if (dash == 0 || dash == std::wstring_view::npos || dash > 10 || dash + 1 == name.size())
    return std::nullopt;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (i != dash && (name[i] < L'0' || name[i] > L'9')) return std::nullopt;
  const unsigned long long pid =
      std::wcstoull(std::wstring(name.substr(0, dash)).c_str(), nullptr, 10);
  if (pid == 0 || pid > MAXDWORD) return std::nullopt;
  return static_cast<DWORD>(pid);
}

bool HasEnded(DWORD pid) {
  if (pid == GetCurrentProcessId()) return false;
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  // No such process; one we may not ask about is there.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

}  // namespace

std::wstring WriteTemporaryName(DWORD number) {
  wchar_t name[48];
  wsprintfW(name, L"~mv%lu-%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
            static_cast<unsigned long>(number));
  return name;
}

void RemoveWriteLeftovers(std::string_view folder) {
  if (folder.empty() || HoldsNul(folder)) return;
  std::wstring base = Wide(folder);
  if (base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  const UniqueFind find = OwnFind(FindFirstFileW((base + L"~mv*.tmp").c_str(), &data));
  if (!find) return;
  do {
    const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    const auto writer = WriterOf(data.cFileName);
    if ((data.dwFileAttributes & skip) == 0 && writer && HasEnded(*writer))
      DeleteFileW((base + data.cFileName).c_str());
  } while (FindNextFileW(find.get(), &data));
}

}  // namespace morvel::platform::win32
