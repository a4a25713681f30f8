#include "stores/pstorage.h"

#include <algorithm>
#include <array>
#include <span>

namespace morvel::stores {

namespace {

constexpr std::uint32_t kNoFlags = 0;
constexpr std::size_t kBatch = 16;

// Asks for 16 elements at a time until a call fetches none: a provider may hand out
// fewer than asked long before its end, and its result code says nothing reliable about
// that, so only the count decides. A count above what was asked is taken as all of it.
template <class Element, class Append>
void Drain(platform::StoreEnumerator<Element>& enumerator, Append append) {
  std::array<Element, kBatch> batch{};
  for (;;) {
    std::uint32_t fetched = 0;
    (void)enumerator.Next(std::span<Element>(batch), fetched);
    if (fetched == 0) break;
    const std::size_t count = std::min<std::size_t>(fetched, kBatch);
    for (std::size_t i = 0; i < count; ++i) append(batch[i]);
  }
}

std::unique_ptr<TIDList> FillIds(
    platform::Result<std::unique_ptr<platform::StoreIdEnumerator>> enumerator) {
  auto list = std::make_unique<TIDList>();
  if (enumerator.ok() && enumerator.value)
    Drain(*enumerator.value, [&](const StoreId& id) { list->Add(id); });
  return list;
}

}  // namespace

StoreId TIDList::IDAt(std::size_t index) const {
  return index < ids_.size() ? ids_[index] : StoreId{};
}

std::string TItemList::NameAt(std::size_t index) const {
  return index < names_.size() ? names_[index] : std::string();
}

void TItemList::Add(std::string_view name) { names_.emplace_back(name.substr(0, kMaxNameLength)); }

TPStorage::TPStorage(platform::ProtectedStorage& store) : store_(store) {}

TPStorage::~TPStorage() { Disconnect(); }

bool TPStorage::IsAvailable() const { return store_.Available(); }

bool TPStorage::Connect(const std::optional<StoreId>& provider) {
  if (!store_.Available()) return false;
  Disconnect();
  auto created = store_.CreateProvider(provider);
  // A reference handed out together with a failure goes with `created`.
  if (!created.ok() || !created.value) return false;
  provider_ = std::move(created.value);
  connected_ = true;
  return true;
}

void TPStorage::Disconnect() {
  if (!connected_) return;
  provider_.reset();
  connected_ = false;
}

std::unique_ptr<TIDList> TPStorage::ListTypes() {
  if (!connected_) return std::make_unique<TIDList>();
  return FillIds(provider_->EnumTypes(key_, kNoFlags));
}

std::unique_ptr<TIDList> TPStorage::ListSubtypes(const StoreId& type) {
  if (!connected_) return std::make_unique<TIDList>();
  return FillIds(provider_->EnumSubtypes(key_, type, kNoFlags));
}

std::unique_ptr<TItemList> TPStorage::ListItems(const StoreId& type, const StoreId& subtype) {
  auto list = std::make_unique<TItemList>();
  if (!connected_) return list;
  auto enumerator = provider_->EnumItems(key_, type, subtype, kNoFlags);
  if (enumerator.ok() && enumerator.value) {
    Drain(*enumerator.value,
          [&](const std::u16string& name) { list->Add(store_.ToSystemCodePage(name)); });
  }
  return list;
}

std::string TPStorage::TypeDisplayName(const StoreId& type) {
  if (!connected_) return {};
  auto name = provider_->TypeDisplayName(key_, type, kNoFlags);
  if (!name.ok()) return {};
  return store_.ToSystemCodePage(name.value);
}

bool TPStorage::RemoveItem(const StoreId& type, const StoreId& subtype, std::string_view name) {
  if (!connected_) return false;
  const std::u16string wide = store_.FromSystemCodePage(name);
  const platform::StorePrompt prompt;  // size 16, flags 4, no owner, empty prompt
  return provider_->DeleteItem(key_, type, subtype, wide, prompt, kNoFlags).ok();
}

}  // namespace morvel::stores
