#pragma once
// A small object layer over the Windows Protected Storage: whether it can be reached,
// a connection to a provider, the lists of item types, subtypes and item names, a type's
// display name, and the deletion of single items. Its user is the Internet Explorer
// autocomplete cleaner. No operation throws of its own; failures give empty lists, the
// empty name or false.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/protected_storage.h"

namespace morvel::stores {

using platform::StoreId;

// A list filled by one enumeration. The caller owns every list it receives.
class TEnumList {
 public:
  virtual ~TEnumList() = default;
  [[nodiscard]] virtual std::size_t Count() const = 0;
};

// Item types or subtypes, in enumeration order.
class TIDList final : public TEnumList {
 public:
  [[nodiscard]] std::size_t Count() const override { return ids_.size(); }
  // The identifier at `index`; the zero identifier past the end.
  [[nodiscard]] StoreId IDAt(std::size_t index) const;
  void Add(const StoreId& id) { ids_.push_back(id); }

 private:
  std::vector<StoreId> ids_;
};

// Item names in enumeration order, each in the system code page and at most
// kMaxNameLength bytes long (a length byte and its characters, as they are kept).
class TItemList final : public TEnumList {
 public:
  static constexpr std::size_t kMaxNameLength = 255;

  [[nodiscard]] std::size_t Count() const override { return names_.size(); }
  // The name at `index`; the empty name past the end.
  [[nodiscard]] std::string NameAt(std::size_t index) const;
  // Keeps the first kMaxNameLength bytes of `name`.
  void Add(std::string_view name);

 private:
  std::vector<std::string> names_;
};

class TPStorage {
 public:
  // Not connected; every provider call uses the current user's key.
  explicit TPStorage(platform::ProtectedStorage& store);
  ~TPStorage();
  TPStorage(const TPStorage&) = delete;
  TPStorage& operator=(const TPStorage&) = delete;

  // Whether pstorec.dll and its PStoreCreateInstance were found at start.
  [[nodiscard]] bool IsAvailable() const;
  [[nodiscard]] bool Connected() const { return connected_; }

  // Connects to the provider (nullopt: the default one), disconnecting first when
  // connected. False when the store is unavailable or no provider is obtained.
  bool Connect(const std::optional<StoreId>& provider = std::nullopt);
  // Releases the provider; nothing when not connected.
  void Disconnect();

  // The item types; empty when not connected or when the provider fails.
  std::unique_ptr<TIDList> ListTypes();
  // The subtypes of `type`; empty when not connected or when the provider fails.
  std::unique_ptr<TIDList> ListSubtypes(const StoreId& type);
  // The item names of a subtype, converted to the system code page and cut to 255
  // bytes; empty when not connected or when the provider fails.
  std::unique_ptr<TItemList> ListItems(const StoreId& type, const StoreId& subtype);

  // The display name of `type` in the system code page; "" when not connected or when
  // the provider fails.
  std::string TypeDisplayName(const StoreId& type);

  // Deletes the item of that (system code page) name; true exactly when the provider
  // reports success. False when not connected.
  bool RemoveItem(const StoreId& type, const StoreId& subtype, std::string_view name);

 private:
  platform::ProtectedStorage& store_;
  const std::uint32_t key_ = platform::kStoreKeyCurrentUser;
  bool connected_ = false;
  std::unique_ptr<platform::StoreProvider> provider_;
};

}  // namespace morvel::stores
