#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::Users:
      return HKEY_USERS;
    case RootKey::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

// A key name is at most 255 characters; a value name at most 16,383.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxValueName = 16384;

struct Opened {
  UniqueKey key;
  DWORD error = ERROR_SUCCESS;
};

Opened OpenKey(HKEY parent, const std::wstring& path, REGSAM access, DWORD options = 0) {
  HKEY key = nullptr;
  const LONG error = RegOpenKeyExW(parent, path.c_str(), options, access, &key);
  if (error != ERROR_SUCCESS) return {nullptr, static_cast<DWORD>(error)};
  return {UniqueKey(key), ERROR_SUCCESS};
}

Opened OpenKey(RootKey root, std::string_view path, REGSAM access) {
  if (HoldsNul(path)) return {nullptr, ERROR_INVALID_NAME};
  return OpenKey(RootHandle(root), Wide(path), access);
}

Opened CreateKeyPath(RootKey root, std::string_view path, REGSAM access) {
  if (HoldsNul(path)) return {nullptr, ERROR_INVALID_NAME};
  HKEY key = nullptr;
  const LONG error = RegCreateKeyExW(RootHandle(root), Wide(path).c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  if (error != ERROR_SUCCESS) return {nullptr, static_cast<DWORD>(error)};
  return {UniqueKey(key), ERROR_SUCCESS};
}

// Names of the direct sub-keys in the registry's own order.
DWORD EnumerateSubKeys(HKEY key, std::vector<std::wstring>& names) {
  names.clear();
  std::wstring name(kMaxKeyName, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxKeyName;
    const LONG error =
        RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
    names.emplace_back(name.data(), length);
  }
}

// Values with their data. A value that grows between the size query and the read is
// read again with the larger buffer.
DWORD EnumerateValues(HKEY key, bool with_data, std::vector<RegistryValue>& values) {
  values.clear();
  std::wstring name(kMaxValueName, L'\0');
  std::vector<BYTE> data(256);
  for (DWORD index = 0;;) {
    DWORD name_length = kMaxValueName;
    DWORD type = 0;
    DWORD size = with_data ? static_cast<DWORD>(data.size()) : 0;
    const LONG error =
        RegEnumValueW(key, index, name.data(), &name_length, nullptr, &type,
                      with_data ? data.data() : nullptr, with_data ? &size : nullptr);
    if (error == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (error == ERROR_MORE_DATA && with_data) {
      data.resize(std::max<std::size_t>(size, data.size() * 2));
      continue;  // same index again
    }
    if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
    RegistryValue value;
    value.name = Narrow(std::wstring_view(name.data(), name_length));
    value.type = static_cast<ValueType>(type);
    if (with_data) value.data.assign(data.begin(), data.begin() + size);
    values.push_back(std::move(value));
    ++index;
  }
}

// Deletes everything below `key`, then the key itself. Sub-keys are opened as links
// where they are links, so a symbolic key is removed without touching what it points at.
DWORD DeleteKeyAndContents(HKEY key) {
  std::vector<std::wstring> children;
  if (const DWORD error = EnumerateSubKeys(key, children); error != ERROR_SUCCESS) return error;
  for (const std::wstring& child : children) {
    const Opened sub = OpenKey(key, child, KEY_READ | DELETE, REG_OPTION_OPEN_LINK);
    if (sub.error == ERROR_FILE_NOT_FOUND) continue;  // someone else removed it meanwhile
    if (sub.error != ERROR_SUCCESS) return sub.error;
    const DWORD deleted = DeleteKeyAndContents(sub.key.get());
    if (deleted != ERROR_SUCCESS) return deleted;
  }
  // A sub-key added meanwhile makes this fail rather than loop.
  // An empty sub-key name deletes the key the handle refers to.
  return static_cast<DWORD>(RegDeleteKeyW(key, L""));
}

class Win32Registry final : public Registry {
 public:
  bool KeyExists(RootKey root, std::string_view path) const override {
    const Opened key = OpenKey(root, path, KEY_QUERY_VALUE);
    // A key we may not read is still there.
    return key.error == ERROR_SUCCESS || key.error == ERROR_ACCESS_DENIED;
  }

  Result<std::vector<std::string>> SubKeyNames(RootKey root, std::string_view path,
                                               Access access) const override {
    const Opened key = OpenKey(root, path, access == Access::Full ? KEY_ALL_ACCESS : KEY_READ);
    if (!key.key) return FailedWith<std::vector<std::string>>(key.error);
    std::vector<std::wstring> wide;
    if (const DWORD error = EnumerateSubKeys(key.key.get(), wide); error != ERROR_SUCCESS)
      return FailedWith<std::vector<std::string>>(error);
    std::vector<std::string> names;
    names.reserve(wide.size());
    for (const std::wstring& name : wide) names.push_back(Narrow(name));
    // Windows lists them this way already; sorting makes every backend agree exactly.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return CompareUpper(a, b) < 0;
    });
    return Result<std::vector<std::string>>::Of(std::move(names));
  }

  Result<std::vector<RegistryValue>> Values(RootKey root, std::string_view path) const override {
    const Opened key = OpenKey(root, path, KEY_QUERY_VALUE);
    if (!key.key) return FailedWith<std::vector<RegistryValue>>(key.error);
    std::vector<RegistryValue> values;
    if (const DWORD error = EnumerateValues(key.key.get(), true, values); error != ERROR_SUCCESS)
      return FailedWith<std::vector<RegistryValue>>(error);
    return Result<std::vector<RegistryValue>>::Of(std::move(values));
  }

  Result<RegistryValue> ReadValue(RootKey root, std::string_view path,
                                  std::string_view name) const override {
    if (HoldsNul(name)) return FailedWith<RegistryValue>(ERROR_INVALID_NAME);
    const Opened key = OpenKey(root, path, KEY_QUERY_VALUE);
    if (!key.key) return FailedWith<RegistryValue>(key.error);
    const std::wstring wide_name = Wide(name);
    RegistryValue value;
    std::vector<BYTE> data(256);
    for (;;) {
      DWORD type = 0;
      DWORD size = static_cast<DWORD>(data.size());
      const LONG error =
          RegQueryValueExW(key.key.get(), wide_name.c_str(), nullptr, &type, data.data(), &size);
      if (error == ERROR_MORE_DATA) {
        data.resize(std::max<std::size_t>(size, data.size() * 2));
        continue;
      }
      if (error != ERROR_SUCCESS) return FailedWith<RegistryValue>(static_cast<DWORD>(error));
      value.type = static_cast<ValueType>(type);
      value.data.assign(data.begin(), data.begin() + size);
      break;
    }
    value.name = StoredValueName(key.key.get(), name);
    return Result<RegistryValue>::Of(std::move(value));
  }

  Status CreateKey(RootKey root, std::string_view path) override {
    return StatusOf(CreateKeyPath(root, path, KEY_QUERY_VALUE).error);
  }

  Status WriteValue(RootKey root, std::string_view path, const RegistryValue& value) override {
    if (HoldsNul(value.name)) return StatusOf(ERROR_INVALID_NAME);
    const Opened key = CreateKeyPath(root, path, KEY_SET_VALUE);
    if (!key.key) return StatusOf(key.error);
    const std::wstring name = Wide(value.name);
    static const BYTE kNoData = 0;
    const BYTE* data = value.data.empty() ? &kNoData : value.data.data();
    return StatusOf(static_cast<DWORD>(RegSetValueExW(key.key.get(), name.c_str(), 0,
                                                      static_cast<DWORD>(value.type), data,
                                                      static_cast<DWORD>(value.data.size()))));
  }

  Status DeleteValue(RootKey root, std::string_view path, std::string_view name) override {
    if (HoldsNul(name)) return StatusOf(ERROR_INVALID_NAME);
    const Opened key = OpenKey(root, path, KEY_SET_VALUE);
    if (!key.key) return StatusOf(key.error);
    return StatusOf(static_cast<DWORD>(RegDeleteValueW(key.key.get(), Wide(name).c_str())));
  }

  Status DeleteTree(RootKey root, std::string_view path) override {
    // "" or "\" would name the root itself.
    if (path.find_first_not_of('\\') == std::string_view::npos)
      return Status::Error(ErrorKind::InvalidArgument);
    const Opened key = OpenKey(root, path, KEY_READ | DELETE);
    if (!key.key) return StatusOf(key.error);
    return StatusOf(DeleteKeyAndContents(key.key.get()));
  }

 private:
  // RegQueryValueEx does not say how the name was written; the value list does.
  static std::string StoredValueName(HKEY key, std::string_view asked) {
    std::vector<RegistryValue> names;
    if (EnumerateValues(key, false, names) == ERROR_SUCCESS) {
      for (RegistryValue& value : names)
        if (SameText(value.name, asked)) return std::move(value.name);
    }
    return std::string(asked);
  }
};

}  // namespace

std::unique_ptr<Registry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace morvel::platform::win32
