// The Protected Storage layer against a scripted provider: what it does with providers
// that misbehave in ways the emulated store never does, and what it passes them.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "stores/pstorage.h"

namespace morvel::stores {
namespace {

using platform::ErrorKind;
using platform::Result;
using platform::Status;
using platform::StoreEnumerator;
using platform::StorePrompt;
using platform::StoreProvider;

StoreId MakeId(std::uint8_t first) {
  StoreId id;
  id.bytes[0] = first;
  return id;
}

// One Next call's answer: how many it claims to have fetched and its result.
struct Step {
  std::uint32_t fetched;
  Status status = Status::Ok();
};

template <class Element>
class ScriptedEnumerator final : public StoreEnumerator<Element> {
 public:
  ScriptedEnumerator(std::deque<Step> steps, std::function<Element(int)> make, int* released)
      : steps_(std::move(steps)), make_(std::move(make)), released_(released) {}
  ~ScriptedEnumerator() override { ++*released_; }

  Status Next(std::span<Element> into, std::uint32_t& fetched) override {
    EXPECT_EQ(into.size(), 16u);
    EXPECT_EQ(fetched, 0u) << "the counter is reset before each call";
    if (steps_.empty()) return Status::Error(ErrorKind::Other);  // would loop forever
    const Step step = steps_.front();
    steps_.pop_front();
    for (std::size_t i = 0; i < std::min<std::size_t>(step.fetched, into.size()); ++i)
      into[i] = make_(next_++);
    fetched = step.fetched;
    return step.status;
  }

 private:
  std::deque<Step> steps_;
  std::function<Element(int)> make_;
  int* released_;
  int next_ = 0;
};

struct Script {
  std::deque<Step> steps;  // for every enumeration
  bool enum_fails = false;
  bool null_enumerator = false;
  std::u16string display_name = u"Internet Explorer";
  bool delete_succeeds = true;
  // What the layer passed.
  std::vector<std::uint32_t> keys;
  std::vector<std::u16string> deleted;
  std::vector<StorePrompt> prompts;
  int enumerators_released = 0;
  int providers_released = 0;
};

class ScriptedProvider final : public StoreProvider {
 public:
  explicit ScriptedProvider(Script& script) : s_(script) {}
  ~ScriptedProvider() override { ++s_.providers_released; }

  Result<std::unique_ptr<platform::StoreIdEnumerator>> EnumTypes(std::uint32_t key,
                                                                 std::uint32_t) override {
    s_.keys.push_back(key);
    return Ids();
  }
  Result<std::unique_ptr<platform::StoreIdEnumerator>> EnumSubtypes(std::uint32_t key,
                                                                    const StoreId&,
                                                                    std::uint32_t) override {
    s_.keys.push_back(key);
    return Ids();
  }
  Result<std::unique_ptr<platform::StoreNameEnumerator>> EnumItems(std::uint32_t key,
                                                                   const StoreId&, const StoreId&,
                                                                   std::uint32_t) override {
    s_.keys.push_back(key);
    return Make<std::u16string>([](int i) { return u"item" + std::u16string(1, u'a' + i); });
  }
  Result<std::u16string> TypeDisplayName(std::uint32_t key, const StoreId&,
                                         std::uint32_t) override {
    s_.keys.push_back(key);
    return Result<std::u16string>::Of(s_.display_name);
  }
  Status DeleteItem(std::uint32_t key, const StoreId&, const StoreId&, std::u16string_view name,
                    const StorePrompt& prompt, std::uint32_t) override {
    s_.keys.push_back(key);
    s_.deleted.emplace_back(name);
    s_.prompts.push_back(prompt);
    return s_.delete_succeeds ? Status::Ok() : Status::Error(ErrorKind::Other, 0x800C0010);
  }

 private:
  Result<std::unique_ptr<platform::StoreIdEnumerator>> Ids() {
    return Make<StoreId>([](int i) { return MakeId(static_cast<std::uint8_t>(i)); });
  }

  template <class Element>
  Result<std::unique_ptr<StoreEnumerator<Element>>> Make(std::function<Element(int)> make) {
    using R = Result<std::unique_ptr<StoreEnumerator<Element>>>;
    if (s_.null_enumerator) return R::Of(nullptr);
    // A failing call may still hand out a reference; it must be released.
    R result = R::Of(std::make_unique<ScriptedEnumerator<Element>>(s_.steps, std::move(make),
                                                                   &s_.enumerators_released));
    if (s_.enum_fails) result.status = Status::Error(ErrorKind::Other, 0x80004005);
    return result;
  }

  Script& s_;
};

// A store whose CreateProvider answers as scripted.
class ScriptedStore final : public platform::ProtectedStorage {
 public:
  explicit ScriptedStore(Script& script) : s_(script) {}
  bool available = true;
  bool create_fails = false;
  bool null_provider = false;

  bool Available() const override { return available; }
  Result<std::unique_ptr<StoreProvider>> CreateProvider(const std::optional<StoreId>&) override {
    using R = Result<std::unique_ptr<StoreProvider>>;
    if (null_provider) return R::Of(nullptr);
    R result = R::Of(std::make_unique<ScriptedProvider>(s_));
    if (create_fails) result.status = Status::Error(ErrorKind::Other, 0x80004005);
    return result;
  }
  std::string ToSystemCodePage(std::u16string_view text) const override {
    return std::string(text.begin(), text.end());
  }
  std::u16string FromSystemCodePage(std::string_view text) const override {
    return std::u16string(text.begin(), text.end());
  }

 private:
  Script& s_;
};

TEST(PStorageProvider, EnumerationStopsOnlyOnACallThatFetchedNothing) {
  struct Case {
    const char* what;
    std::deque<Step> steps;
    std::size_t expected;
  };
  const Case cases[] = {
      {"empty", {{0}}, 0},
      {"short fetches with S_FALSE", {{3, Status::Error(ErrorKind::Other, 1)}, {1}, {16}, {0}}, 20},
      {"a failure result with elements still counts",
       {{2, Status::Error(ErrorKind::Other)}, {0}},
       2},
      {"a success result with none ends", {{5}, {0, Status::Ok()}, {7}}, 5},
      {"a count above what was asked is cut to 16", {{40}, {0}}, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Script script;
    script.steps = c.steps;
    ScriptedStore store(script);
    TPStorage storage(store);
    ASSERT_TRUE(storage.Connect());
    const auto types = storage.ListTypes();
    ASSERT_EQ(types->Count(), c.expected);
    for (std::size_t i = 0; i < c.expected; ++i)
      EXPECT_EQ(types->IDAt(i), MakeId(static_cast<std::uint8_t>(i)));
    EXPECT_EQ(storage.ListItems(StoreId{}, StoreId{})->Count(), c.expected);
    EXPECT_EQ(script.enumerators_released, 2);
  }
}

TEST(PStorageProvider, FailedOrMissingEnumeratorsGiveEmptyListsAndAreReleased) {
  for (const bool null_enumerator : {false, true}) {
    Script script;
    script.steps = {{4}, {0}};
    script.enum_fails = !null_enumerator;
    script.null_enumerator = null_enumerator;
    ScriptedStore store(script);
    TPStorage storage(store);
    ASSERT_TRUE(storage.Connect());
    EXPECT_EQ(storage.ListTypes()->Count(), 0u);
    EXPECT_EQ(storage.ListSubtypes(StoreId{})->Count(), 0u);
    EXPECT_EQ(storage.ListItems(StoreId{}, StoreId{})->Count(), 0u);
    EXPECT_EQ(script.enumerators_released, null_enumerator ? 0 : 3);
  }
}

TEST(PStorageProvider, ConnectNeedsSuccessAndAProvider) {
  Script script;
  ScriptedStore store(script);
  {
    store.create_fails = true;  // a reference handed out with a failure is released
    TPStorage storage(store);
    EXPECT_FALSE(storage.Connect());
    EXPECT_EQ(script.providers_released, 1);
    store.create_fails = false;
    store.null_provider = true;
    EXPECT_FALSE(storage.Connect());
    store.null_provider = false;
    store.available = false;
    EXPECT_FALSE(storage.Connect());
    EXPECT_EQ(script.providers_released, 1);  // not even asked
    store.available = true;
    EXPECT_TRUE(storage.Connect());
    EXPECT_TRUE(storage.Connect());
    EXPECT_EQ(script.providers_released, 2);  // the first connection, on reconnecting
  }
  EXPECT_EQ(script.providers_released, 3);  // the destructor disconnects
}

TEST(PStorageProvider, DeletionPassesTheNameKeyAndPromptRecord) {
  Script script;
  ScriptedStore store(script);
  TPStorage storage(store);
  ASSERT_TRUE(storage.Connect());
  EXPECT_TRUE(storage.RemoveItem(StoreId{}, StoreId{}, "http://x/:StringData"));
  script.delete_succeeds = false;
  EXPECT_FALSE(storage.RemoveItem(StoreId{}, StoreId{}, "y"));
  EXPECT_EQ(script.deleted, (std::vector<std::u16string>{u"http://x/:StringData", u"y"}));
  for (const StorePrompt& prompt : script.prompts) {
    EXPECT_EQ(prompt.size, 16u);
    EXPECT_EQ(prompt.flags, 4u);
    EXPECT_EQ(prompt.owner_window, 0u);
    EXPECT_EQ(prompt.text, u"");
  }
  EXPECT_EQ(storage.TypeDisplayName(StoreId{}), "Internet Explorer");
  for (const std::uint32_t key : script.keys) EXPECT_EQ(key, 0u);
}

TEST(PStorageProvider, OutOfRangeIndexesGiveEmptyValues) {
  Script script;
  script.steps = {{1}, {0}};
  ScriptedStore store(script);
  TPStorage storage(store);
  ASSERT_TRUE(storage.Connect());
  const auto types = storage.ListTypes();
  EXPECT_EQ(types->IDAt(1), StoreId{});
  const auto items = storage.ListItems(StoreId{}, StoreId{});
  ASSERT_EQ(items->Count(), 1u);
  EXPECT_EQ(items->NameAt(0), "itema");
  EXPECT_EQ(items->NameAt(5), "");
}

}  // namespace
}  // namespace morvel::stores
