#include "platform/win32/win32_pstore.h"

#include "platform/win32/win32_dynamic.h"

#include <objbase.h>
#include <pstore.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace morvel::platform::win32 {

namespace {

using CreateInstanceFunction = HRESULT(WINAPI*)(IPStore**, PST_PROVIDERID*, void*, DWORD);

// pstorec.dll and its PStoreCreateInstance, looked up once. Missing on some systems, so
// it is loaded at run time: the program still starts without it.
class PStoreLibrary {
 public:
  PStoreLibrary()
      : module_(Library::Load(L"pstorec.dll")),
        create_(module_.Find<CreateInstanceFunction>("PStoreCreateInstance")) {}

  [[nodiscard]] bool available() const { return create_ != nullptr; }
  HRESULT Create(IPStore** provider, PST_PROVIDERID* id) const {
    return create_(provider, id, nullptr, 0);
  }

 private:
  Library module_;
  CreateInstanceFunction create_;
};

// COM on the calling thread for as long as a provider lives; a thread already in another
// apartment keeps it.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

Status StatusOfHresult(HRESULT hr) {
  return SUCCEEDED(hr) ? Status::Ok()
                       : Status::Error(ErrorKind::Other, static_cast<std::uint32_t>(hr));
}

// Deletion and provider creation succeed only on S_OK: S_FALSE is not taken as done.
Status StatusOfExactResult(HRESULT hr) {
  return hr == S_OK ? Status::Ok()
                    : Status::Error(ErrorKind::Other, static_cast<std::uint32_t>(hr));
}

GUID ToGuid(const StoreId& id) {
  GUID guid;
  static_assert(sizeof guid == sizeof id.bytes);
  std::memcpy(&guid, id.bytes.data(), sizeof guid);
  return guid;
}

StoreId FromGuid(const GUID& guid) {
  StoreId id;
  std::memcpy(id.bytes.data(), &guid, sizeof guid);
  return id;
}

std::u16string FromWide(const wchar_t* text) {
  if (!text) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), std::wcslen(text));
}

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class TypeEnumerator final : public StoreIdEnumerator {
 public:
  explicit TypeEnumerator(ComPtr<IEnumPStoreTypes> enumerator)
      : enumerator_(std::move(enumerator)) {}

  Status Next(std::span<StoreId> into, std::uint32_t& fetched) override {
    std::vector<GUID> guids(into.size());
    DWORD count = 0;
    const HRESULT hr = enumerator_->Next(static_cast<DWORD>(into.size()), guids.data(), &count);
    fetched = static_cast<std::uint32_t>(std::min<std::size_t>(count, into.size()));
    for (std::uint32_t i = 0; i < fetched; ++i) into[i] = FromGuid(guids[i]);
    return StatusOfHresult(hr);
  }

 private:
  ComPtr<IEnumPStoreTypes> enumerator_;
};

class ItemEnumerator final : public StoreNameEnumerator {
 public:
  explicit ItemEnumerator(ComPtr<IEnumPStoreItems> enumerator)
      : enumerator_(std::move(enumerator)) {}

  // The provider allocates each name; it is copied and freed here.
  Status Next(std::span<std::u16string> into, std::uint32_t& fetched) override {
    std::vector<LPWSTR> names(into.size(), nullptr);
    DWORD count = 0;
    const HRESULT hr = enumerator_->Next(static_cast<DWORD>(into.size()), names.data(), &count);
    fetched = static_cast<std::uint32_t>(std::min<std::size_t>(count, into.size()));
    for (std::uint32_t i = 0; i < fetched; ++i) {
      into[i] = FromWide(names[i]);
      CoTaskMemFree(names[i]);
    }
    return StatusOfHresult(hr);
  }

 private:
  ComPtr<IEnumPStoreItems> enumerator_;
};

class Win32Provider final : public StoreProvider {
 public:
  // Members go in reverse: the interface is released, then COM left, then the library
  // may be freed.
  Win32Provider(std::shared_ptr<const PStoreLibrary> library,
                std::unique_ptr<ComApartment> apartment, ComPtr<IPStore> store)
      : library_(std::move(library)), apartment_(std::move(apartment)), store_(std::move(store)) {}

  Result<std::unique_ptr<StoreIdEnumerator>> EnumTypes(std::uint32_t key,
                                                       std::uint32_t flags) override {
    IEnumPStoreTypes* raw = nullptr;
    const HRESULT hr = store_->EnumTypes(key, flags, &raw);
    return Types(hr, ComPtr<IEnumPStoreTypes>(raw));
  }

  Result<std::unique_ptr<StoreIdEnumerator>> EnumSubtypes(std::uint32_t key, const StoreId& type,
                                                          std::uint32_t flags) override {
    const GUID type_guid = ToGuid(type);
    IEnumPStoreTypes* raw = nullptr;
    const HRESULT hr = store_->EnumSubtypes(key, &type_guid, flags, &raw);
    return Types(hr, ComPtr<IEnumPStoreTypes>(raw));
  }

  Result<std::unique_ptr<StoreNameEnumerator>> EnumItems(std::uint32_t key, const StoreId& type,
                                                         const StoreId& subtype,
                                                         std::uint32_t flags) override {
    using R = Result<std::unique_ptr<StoreNameEnumerator>>;
    const GUID type_guid = ToGuid(type);
    const GUID subtype_guid = ToGuid(subtype);
    IEnumPStoreItems* raw = nullptr;
    const HRESULT hr = store_->EnumItems(key, &type_guid, &subtype_guid, flags, &raw);
    ComPtr<IEnumPStoreItems> owned(raw);  // released here when the call failed
    if (FAILED(hr)) return R::Failed(ErrorKind::Other, static_cast<std::uint32_t>(hr));
    if (!owned) return R::Of(nullptr);
    return R::Of(std::make_unique<ItemEnumerator>(std::move(owned)));
  }

  Result<std::u16string> TypeDisplayName(std::uint32_t key, const StoreId& type,
                                         std::uint32_t flags) override {
    const GUID type_guid = ToGuid(type);
    PST_TYPEINFO* info = nullptr;
    const HRESULT hr = store_->GetTypeInfo(key, &type_guid, &info, flags);
    if (FAILED(hr) || !info)
      return Result<std::u16string>::Failed(ErrorKind::Other, static_cast<std::uint32_t>(hr));
    std::u16string name = FromWide(info->szDisplayName);
    CoTaskMemFree(info);
    return Result<std::u16string>::Of(std::move(name));
  }

  Status DeleteItem(std::uint32_t key, const StoreId& type, const StoreId& subtype,
                    std::u16string_view name, const StorePrompt& prompt,
                    std::uint32_t flags) override {
    const GUID type_guid = ToGuid(type);
    const GUID subtype_guid = ToGuid(subtype);
    const std::wstring wide_name = ToWide(name);
    const std::wstring prompt_text = ToWide(prompt.text);
    PST_PROMPTINFO info{};
    info.cbSize = prompt.size;
    info.dwPromptFlags = prompt.flags;
    info.hwndApp = reinterpret_cast<HWND>(prompt.owner_window);
    info.szPrompt = prompt_text.c_str();
    return StatusOfExactResult(
        store_->DeleteItem(key, &type_guid, &subtype_guid, wide_name.c_str(), &info, flags));
  }

 private:
  static Result<std::unique_ptr<StoreIdEnumerator>> Types(HRESULT hr,
                                                          ComPtr<IEnumPStoreTypes> owned) {
    using R = Result<std::unique_ptr<StoreIdEnumerator>>;
    if (FAILED(hr)) return R::Failed(ErrorKind::Other, static_cast<std::uint32_t>(hr));
    if (!owned) return R::Of(nullptr);
    return R::Of(std::make_unique<TypeEnumerator>(std::move(owned)));
  }

  std::shared_ptr<const PStoreLibrary> library_;
  std::unique_ptr<ComApartment> apartment_;
  ComPtr<IPStore> store_;
};

class Win32ProtectedStorage final : public ProtectedStorage {
 public:
  Win32ProtectedStorage() : library_(std::make_shared<const PStoreLibrary>()) {}

  [[nodiscard]] bool Available() const override { return library_->available(); }

  Result<std::unique_ptr<StoreProvider>> CreateProvider(
      const std::optional<StoreId>& provider) override {
    using R = Result<std::unique_ptr<StoreProvider>>;
    if (!library_->available()) return R::Failed(ErrorKind::NotFound, ERROR_MOD_NOT_FOUND);
    auto apartment = std::make_unique<ComApartment>();
    GUID id{};
    if (provider) id = ToGuid(*provider);
    IPStore* raw = nullptr;
    const HRESULT hr = library_->Create(&raw, provider ? &id : nullptr);
    ComPtr<IPStore> owned(raw);  // a reference handed out with a failure is released here
    if (hr != S_OK) return R::Failed(ErrorKind::Other, static_cast<std::uint32_t>(hr));
    if (!owned) return R::Of(nullptr);
    return R::Of(std::make_unique<Win32Provider>(library_, std::move(apartment), std::move(owned)));
  }

  [[nodiscard]] std::string ToSystemCodePage(std::u16string_view text) const override {
    if (text.empty()) return {};
    const std::wstring wide = ToWide(text);
    const int length = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
  }

  [[nodiscard]] std::u16string FromSystemCodePage(std::string_view text) const override {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (chars <= 0) return {};
    std::wstring out(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), chars);
    return std::u16string(out.begin(), out.end());
  }

 private:
  std::shared_ptr<const PStoreLibrary> library_;
};

}  // namespace

std::unique_ptr<ProtectedStorage> MakeWin32ProtectedStorage() {
  return std::make_unique<Win32ProtectedStorage>();
}

}  // namespace morvel::platform::win32
