#include "platform/emulated/emulated_pstore.h"

#include <algorithm>
#include <array>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "common/text.h"
#include "platform/emulated/host_files.h"
#include "platform/emulated/machine.h"
#include "platform/emulated/store_file.h"

namespace morvel::platform::emulated {

namespace {

// Protected Storage result codes the emulated provider answers with.
constexpr std::uint32_t kProviderDllNotFound = 0x800C0002;  // PST_E_PROV_DLL_NOT_FOUND
constexpr std::uint32_t kTypeNotFound = 0x800C0005;         // PST_E_TYPE_NO_EXISTS
constexpr std::uint32_t kItemNotFound = 0x800C0010;         // PST_E_ITEM_NO_EXISTS
constexpr std::uint32_t kServiceUnavailable = 0x800C0011;   // PST_E_SERVICE_UNAVAILABLE
constexpr std::uint32_t kInvalidArgument = 0x80070057;      // E_INVALIDARG

// MS_BASE_PSTPROVIDER_ID, the system's provider: the only one the machine has.
constexpr StoreId kBaseProvider{{0x30, 0x8C, 0x07, 0x8A, 0x55, 0x37, 0xD0, 0x11, 0xA0, 0xBD, 0x00,
                                 0xAA, 0x00, 0x61, 0x42, 0x6A}};

// Unicode characters of the bytes 0x80..0x9F in Windows-1252; the undefined ones map to
// the C1 control of the same number, as MultiByteToWideChar maps them.
constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

Status Failure(ErrorKind kind, std::uint32_t code) { return Status::Error(kind, code); }

}  // namespace

std::string Utf16ToWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    const auto* found = std::find(k1252High.begin(), k1252High.end(), c);
    if (found != k1252High.end()) {
      out += static_cast<char>(0x80 + (found - k1252High.begin()));
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    out += '?';
  }
  return out;
}

std::u16string Windows1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    out += (b >= 0x80 && b < 0xA0) ? k1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

struct PStoreItem {
  std::u16string name;
  std::size_t line = 0;  // index into PStoreState::lines
};

struct PStoreSubtype {
  StoreId id;
  std::vector<PStoreItem> items;
};

struct PStoreType {
  StoreId id;
  std::optional<std::u16string> display_name;  // none: GetTypeInfo fails
  std::vector<PStoreSubtype> subtypes;
};

struct PStoreState {
  bool available = true;
  bool provider_ok = true;
  std::uint32_t batch = 16;
  std::vector<PStoreType> types;

  // The file's lines with their line ends, and which of them deleted items dropped.
  std::vector<std::string> lines;
  std::vector<bool> dropped;
  bool changed = false;

  PStoreType* FindType(const StoreId& id) {
    for (PStoreType& type : types)
      if (type.id == id) return &type;
    return nullptr;
  }
};

namespace {

// An enumeration over a copy of the elements taken when it was made, handed out at most
// `batch` at a time.
template <class Element>
class ListEnumerator final : public StoreEnumerator<Element> {
 public:
  ListEnumerator(std::vector<Element> elements, std::uint32_t batch)
      : elements_(std::move(elements)), batch_(batch) {}

  Status Next(std::span<Element> into, std::uint32_t& fetched) override {
    const std::size_t count =
        std::min({into.size(), std::size_t{batch_}, elements_.size() - next_});
    for (std::size_t i = 0; i < count; ++i) into[i] = elements_[next_ + i];
    next_ += count;
    fetched = static_cast<std::uint32_t>(count);
    return Status::Ok();
  }

 private:
  std::vector<Element> elements_;
  std::uint32_t batch_;
  std::size_t next_ = 0;
};

class EmulatedProvider final : public StoreProvider {
 public:
  explicit EmulatedProvider(std::shared_ptr<PStoreState> state) : state_(std::move(state)) {}

  Result<std::unique_ptr<StoreIdEnumerator>> EnumTypes(std::uint32_t key, std::uint32_t) override {
    if (key != kStoreKeyCurrentUser) return Failed<StoreId>(kInvalidArgument);
    std::vector<StoreId> ids;
    for (const PStoreType& type : state_->types) ids.push_back(type.id);
    return Enumerator(std::move(ids));
  }

  Result<std::unique_ptr<StoreIdEnumerator>> EnumSubtypes(std::uint32_t key, const StoreId& type,
                                                          std::uint32_t) override {
    if (key != kStoreKeyCurrentUser) return Failed<StoreId>(kInvalidArgument);
    const PStoreType* found = state_->FindType(type);
    if (!found) return Failed<StoreId>(kTypeNotFound, ErrorKind::NotFound);
    std::vector<StoreId> ids;
    for (const PStoreSubtype& subtype : found->subtypes) ids.push_back(subtype.id);
    return Enumerator(std::move(ids));
  }

  Result<std::unique_ptr<StoreNameEnumerator>> EnumItems(std::uint32_t key, const StoreId& type,
                                                         const StoreId& subtype,
                                                         std::uint32_t) override {
    if (key != kStoreKeyCurrentUser) return Failed<std::u16string>(kInvalidArgument);
    PStoreSubtype* found = FindSubtype(type, subtype);
    if (!found) return Failed<std::u16string>(kTypeNotFound, ErrorKind::NotFound);
    std::vector<std::u16string> names;
    for (const PStoreItem& item : found->items) names.push_back(item.name);
    return Enumerator(std::move(names));
  }

  Result<std::u16string> TypeDisplayName(std::uint32_t key, const StoreId& type,
                                         std::uint32_t) override {
    if (key != kStoreKeyCurrentUser)
      return Result<std::u16string>::Failed(ErrorKind::InvalidArgument, kInvalidArgument);
    const PStoreType* found = state_->FindType(type);
    if (!found || !found->display_name)
      return Result<std::u16string>::Failed(ErrorKind::NotFound, kTypeNotFound);
    return Result<std::u16string>::Of(*found->display_name);
  }

  Status DeleteItem(std::uint32_t key, const StoreId& type, const StoreId& subtype,
                    std::u16string_view name, const StorePrompt&, std::uint32_t) override {
    if (key != kStoreKeyCurrentUser) return Failure(ErrorKind::InvalidArgument, kInvalidArgument);
    PStoreSubtype* found = FindSubtype(type, subtype);
    if (!found) return Failure(ErrorKind::NotFound, kTypeNotFound);
    auto& items = found->items;
    const auto item = std::find_if(items.begin(), items.end(),
                                   [&](const PStoreItem& i) { return i.name == name; });
    if (item == items.end()) return Failure(ErrorKind::NotFound, kItemNotFound);
    state_->dropped[item->line] = true;
    state_->changed = true;
    items.erase(item);
    return Status::Ok();
  }

 private:
  template <class Element>
  static Result<std::unique_ptr<StoreEnumerator<Element>>> Failed(
      std::uint32_t code, ErrorKind kind = ErrorKind::InvalidArgument) {
    return Result<std::unique_ptr<StoreEnumerator<Element>>>::Failed(kind, code);
  }

  template <class Element>
  Result<std::unique_ptr<StoreEnumerator<Element>>> Enumerator(std::vector<Element> elements) {
    std::unique_ptr<StoreEnumerator<Element>> enumerator =
        std::make_unique<ListEnumerator<Element>>(std::move(elements), state_->batch);
    return Result<std::unique_ptr<StoreEnumerator<Element>>>::Of(std::move(enumerator));
  }

  PStoreSubtype* FindSubtype(const StoreId& type, const StoreId& subtype) {
    PStoreType* found = state_->FindType(type);
    if (!found) return nullptr;
    for (PStoreSubtype& s : found->subtypes)
      if (s.id == subtype) return &s;
    return nullptr;
  }

  std::shared_ptr<PStoreState> state_;
};

// Reads the store file line by line and reports its faults with file and line.
class PStoreReader {
 public:
  PStoreReader(std::string_view bytes, std::string_view display_name)
      : bytes_(bytes), display_name_(display_name) {}

  std::shared_ptr<PStoreState> Read() {
    auto state = std::make_shared<PStoreState>();
    state_ = state.get();
    SplitLines();
    for (line_ = 0; line_ < state_->lines.size(); ++line_) ReadLine(Content(state_->lines[line_]));
    return state;
  }

 private:
  enum class Section { None, Store, Type, Subtype };

  std::string_view bytes_;
  std::string display_name_;
  PStoreState* state_ = nullptr;
  std::size_t line_ = 0;
  Section section_ = Section::None;
  PStoreType* type_ = nullptr;
  PStoreSubtype* subtype_ = nullptr;
  std::vector<std::string> seen_keys_;  // of the current section
  bool store_seen_ = false;

  [[noreturn]] void Fail(const std::string& what) const {
    throw MachineImageError(display_name_ + ":" + std::to_string(line_ + 1) + ": " + what);
  }

  void SplitLines() {
    std::size_t start = 0;
    while (start < bytes_.size()) {
      const std::size_t end = bytes_.find('\n', start);
      const std::size_t stop = end == std::string_view::npos ? bytes_.size() : end + 1;
      state_->lines.emplace_back(bytes_.substr(start, stop - start));
      start = stop;
    }
    state_->dropped.assign(state_->lines.size(), false);
  }

  // A line without its line end (and, on the first line, without a UTF-8 byte-order mark).
  std::string_view Content(std::string_view line) const {
    if (line_ == 0 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
  }

  static std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
  }

  void ReadLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return;
    if (trimmed.front() == '[') return ReadHeader(trimmed);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) Fail("expected [section] or key=value");
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    switch (section_) {
      case Section::None:
        Fail("key '" + std::string(key) + "' outside a section");
      case Section::Store:
        return ReadStoreKey(key, Trim(value));
      case Section::Type:
        if (!SameText(key, "Name")) Fail("unknown key '" + std::string(key) + "' in a type");
        if (type_->display_name) Fail("second Name of a type");
        type_->display_name = Text(value, "display name");
        return;
      case Section::Subtype:
        return ReadItem(key, value);
    }
  }

  void ReadHeader(std::string_view header) {
    if (!header.ends_with(']')) Fail("section header without ']'");
    const std::string_view inside = Trim(header.substr(1, header.size() - 2));
    const auto blank = inside.find_first_of(" \t");
    const std::string_view word = inside.substr(0, blank);
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : Trim(inside.substr(blank));
    seen_keys_.clear();
    if (SameText(word, "Store") && rest.empty()) {
      if (store_seen_) Fail("second [Store] section");
      store_seen_ = true;
      section_ = Section::Store;
    } else if (SameText(word, "Type")) {
      const StoreId id = Id(rest);
      if (state_->FindType(id)) Fail("type " + id.ToString() + " given twice");
      state_->types.push_back(PStoreType{id, std::nullopt, {}});
      type_ = &state_->types.back();
      section_ = Section::Type;
    } else if (SameText(word, "Subtype")) {
      const auto space = rest.find_first_of(" \t");
      if (space == std::string_view::npos) Fail("subtype section needs {type} {subtype}");
      const StoreId type_id = Id(rest.substr(0, space));
      const StoreId id = Id(Trim(rest.substr(space)));
      type_ = state_->FindType(type_id);
      if (!type_) Fail("subtype of type " + type_id.ToString() + " before its [Type] section");
      for (const PStoreSubtype& s : type_->subtypes)
        if (s.id == id) Fail("subtype " + id.ToString() + " given twice");
      type_->subtypes.push_back(PStoreSubtype{id, {}});
      subtype_ = &type_->subtypes.back();
      section_ = Section::Subtype;
    } else {
      Fail("unknown section [" + std::string(inside) + "]");
    }
  }

  StoreId Id(std::string_view text) const {
    const auto id = StoreId::Parse(text);
    if (!id) Fail("'" + std::string(text) + "' is not a {GUID}");
    return *id;
  }

  void ReadStoreKey(std::string_view key, std::string_view value) {
    for (const std::string& seen : seen_keys_)
      if (SameText(seen, key)) Fail("key '" + std::string(key) + "' given twice");
    seen_keys_.emplace_back(key);
    if (SameText(key, "Available")) {
      state_->available = Flag(key, value);
    } else if (SameText(key, "Provider")) {
      state_->provider_ok = Flag(key, value);
    } else if (SameText(key, "Batch")) {
      long long batch = 0;
      if (!ParseInt(value, batch) || batch < 1 || batch > 1000000)
        Fail("Batch '" + std::string(value) + "' is not a number from 1 to 1000000");
      state_->batch = static_cast<std::uint32_t>(batch);
    } else {
      Fail("unknown key '" + std::string(key) + "' in [Store]");
    }
  }

  bool Flag(std::string_view key, std::string_view value) const {
    if (value == "1") return true;
    if (value == "0") return false;
    Fail(std::string(key) + " '" + std::string(value) + "' is not 0 or 1");
  }

  void ReadItem(std::string_view key, std::string_view value) {
    if (!SameText(key, "Item")) Fail("unknown key '" + std::string(key) + "' in a subtype");
    std::u16string name = Text(value, "item name");
    if (name.empty()) Fail("empty item name");
    for (const PStoreItem& item : subtype_->items)
      if (item.name == name) Fail("item '" + std::string(value) + "' given twice in a subtype");
    subtype_->items.push_back(PStoreItem{std::move(name), line_});
  }

  // UTF-8 text as UTF-16; invalid UTF-8 and zero characters are refused, since a
  // provider's names are zero-terminated UTF-16.
  std::u16string Text(std::string_view value, std::string_view what) const {
    for (std::size_t i = 0; i < value.size();) {
      const std::size_t at = i;
      const char32_t c = DecodeUtf8(value, i);
      if (c == 0) Fail(std::string(what) + " holds a zero character");
      if (c == 0xFFFD && value.substr(at, i - at) != "\xEF\xBF\xBD")
        Fail(std::string(what) + " is not UTF-8");
    }
    return Utf8ToUtf16(value);
  }
};

}  // namespace

EmulatedPStore::EmulatedPStore(std::shared_ptr<PStoreState> state) : state_(std::move(state)) {}
EmulatedPStore::~EmulatedPStore() = default;

std::unique_ptr<EmulatedPStore> EmulatedPStore::Parse(std::string_view bytes,
                                                      std::string_view display_name) {
  return std::unique_ptr<EmulatedPStore>(
      new EmulatedPStore(PStoreReader(bytes, display_name).Read()));
}

std::unique_ptr<EmulatedPStore> EmulatedPStore::Load(const std::filesystem::path& file) {
  return Parse(ReadStoreFile(file).value_or(""), file.string());
}

bool EmulatedPStore::Available() const { return state_->available; }

Result<std::unique_ptr<StoreProvider>> EmulatedPStore::CreateProvider(
    const std::optional<StoreId>& provider) {
  using R = Result<std::unique_ptr<StoreProvider>>;
  if (!state_->available) return R::Failed(ErrorKind::NotFound, kProviderDllNotFound);
  if (provider && *provider != kBaseProvider)
    return R::Failed(ErrorKind::NotFound, kProviderDllNotFound);
  if (!state_->provider_ok) return R::Failed(ErrorKind::Other, kServiceUnavailable);
  return R::Of(std::make_unique<EmulatedProvider>(state_));
}

std::string EmulatedPStore::ToSystemCodePage(std::u16string_view text) const {
  return Utf16ToWindows1252(text);
}

std::u16string EmulatedPStore::FromSystemCodePage(std::string_view text) const {
  return Windows1252ToUtf16(text);
}

bool EmulatedPStore::changed() const { return state_->changed; }

void EmulatedPStore::MarkSaved() { state_->changed = false; }

std::string EmulatedPStore::Serialize() const {
  std::string out;
  for (std::size_t i = 0; i < state_->lines.size(); ++i)
    if (!state_->dropped[i]) out += state_->lines[i];
  return out;
}

}  // namespace morvel::platform::emulated
