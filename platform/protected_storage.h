#pragma once
// The Windows Protected Storage as the Internet Explorer autocomplete cleaner reaches it:
// the system's pstorec.dll, loaded at start, and the IPStore interface of a provider.
// Item names and display names are UTF-16 here, as the provider hands them out; the
// system code page conversions the stores layer applies to them are offered beside.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace morvel::platform {

// A 16-byte identifier (GUID) of a provider, an item type or a subtype, in the byte order
// Windows keeps it in memory: Data1 to Data3 little-endian, then Data4.
struct StoreId {
  std::array<std::uint8_t, 16> bytes{};

  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (hex digits in either case); nullopt for
  // anything else.
  static std::optional<StoreId> Parse(std::string_view text);
  // The registry form of the GUID, upper-case hex in braces.
  [[nodiscard]] std::string ToString() const;

  bool operator==(const StoreId&) const = default;
};

// PST_KEY_CURRENT_USER: the key the cleaner passes to every provider call.
inline constexpr std::uint32_t kStoreKeyCurrentUser = 0;

// The prompt record given with a deletion (PST_PROMPTINFO). The provider interprets the
// flags; the owner window is a window handle as a number, 0 for none.
struct StorePrompt {
  std::uint32_t size = 16;
  std::uint32_t flags = 4;
  std::uintptr_t owner_window = 0;
  std::u16string_view text = u"";
};

// An enumeration handed out by a provider (IEnumPStoreTypes / IEnumPStoreItems); released
// when destroyed.
template <class Element>
class StoreEnumerator {
 public:
  virtual ~StoreEnumerator() = default;

  // Fills the front of `into` with the next elements and sets `fetched` to how many. A
  // provider may fetch fewer than asked before the end; only a call that fetches none
  // says the enumeration is over. The status is the provider's result code, S_FALSE
  // (fewer than asked) counting as success.
  virtual Status Next(std::span<Element> into, std::uint32_t& fetched) = 0;
};
using StoreIdEnumerator = StoreEnumerator<StoreId>;
using StoreNameEnumerator = StoreEnumerator<std::u16string>;

// A provider's IPStore reference; released when destroyed. Failures carry the provider's
// HRESULT as the system code.
class StoreProvider {
 public:
  virtual ~StoreProvider() = default;

  // EnumTypes, EnumSubtypes, EnumItems: an enumerator, or the failure. A provider may
  // report success without an enumerator; the value is then null.
  virtual Result<std::unique_ptr<StoreIdEnumerator>> EnumTypes(std::uint32_t key,
                                                               std::uint32_t flags) = 0;
  virtual Result<std::unique_ptr<StoreIdEnumerator>> EnumSubtypes(std::uint32_t key,
                                                                  const StoreId& type,
                                                                  std::uint32_t flags) = 0;
  virtual Result<std::unique_ptr<StoreNameEnumerator>> EnumItems(std::uint32_t key,
                                                                 const StoreId& type,
                                                                 const StoreId& subtype,
                                                                 std::uint32_t flags) = 0;

  // GetTypeInfo: the type's display name.
  virtual Result<std::u16string> TypeDisplayName(std::uint32_t key, const StoreId& type,
                                                 std::uint32_t flags) = 0;

  // DeleteItem: removes one item, named exactly. Succeeds only when the provider answers
  // S_OK.
  virtual Status DeleteItem(std::uint32_t key, const StoreId& type, const StoreId& subtype,
                            std::u16string_view name, const StorePrompt& prompt,
                            std::uint32_t flags) = 0;
};

class ProtectedStorage {
 public:
  virtual ~ProtectedStorage() = default;

  // Whether pstorec.dll was loaded at start and exports PStoreCreateInstance.
  [[nodiscard]] virtual bool Available() const = 0;

  // PStoreCreateInstance for the given provider (nullopt: the default one), no reserved
  // value, flags 0. Fails when the store is unavailable or the call does not answer S_OK;
  // a reference obtained with a failure is released. Success may still carry a null value
  // when the provider handed out none. Create, use and destroy a provider (and its
  // enumerators) on one thread: the Win32 backend enters COM on that thread for its life.
  virtual Result<std::unique_ptr<StoreProvider>> CreateProvider(
      const std::optional<StoreId>& provider) = 0;

  // The system code page (the "ANSI" one) conversions of WideCharToMultiByte and
  // MultiByteToWideChar: characters the code page lacks become its default character.
  [[nodiscard]] virtual std::string ToSystemCodePage(std::u16string_view text) const = 0;
  [[nodiscard]] virtual std::u16string FromSystemCodePage(std::string_view text) const = 0;
};

}  // namespace morvel::platform
