// The Protected Storage layer on the real Win32 backend. Under Wine (8.0 measured)
// pstorec.dll is there and hands out a provider, but every IPStore method the layer uses
// is a stub answering E_NOTIMPL: the layer connects, finds nothing and deletes nothing.
// On a real Windows machine only the Test-mode walk runs, so the user's store is safe.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/win32_pstore.h"
#include "stores/pstorage.h"
#include "tests/pstore/pstore_walk.h"

namespace morvel::stores {
namespace {

using platform::win32::MakeWin32ProtectedStorage;

const StoreId kIeType = *StoreId::Parse("{E161255A-37C3-11D2-BCAA-00C04FD929DB}");
const StoreId kBaseProvider = *StoreId::Parse("{8A078C30-3755-11D0-A0BD-00AA0061426A}");

bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Looked up here with the system's own functions, not the code under test.
bool SystemHasPStore() {
  const HMODULE library = LoadLibraryA("pstorec.dll");
  if (!library) return false;
  const bool found = GetProcAddress(library, "PStoreCreateInstance") != nullptr;
  FreeLibrary(library);
  return found;
}

TEST(Win32PStore, AvailableExactlyWhenTheLibraryAndItsExportAreThere) {
  const auto store = MakeWin32ProtectedStorage();
  EXPECT_EQ(store->Available(), SystemHasPStore());
  TPStorage storage(*store);
  EXPECT_EQ(storage.IsAvailable(), SystemHasPStore());
  if (!storage.IsAvailable()) {
    EXPECT_FALSE(storage.Connect());
    EXPECT_EQ(storage.ListTypes()->Count(), 0u);
  }
}

TEST(Win32PStore, UnderWineTheStubProviderConnectsAndYieldsNothing) {
  if (!RunningOnWine()) GTEST_SKIP() << "what Wine's stub does; Windows has a real store";
  const auto store = MakeWin32ProtectedStorage();
  ASSERT_TRUE(store->Available());
  TPStorage storage(*store);
  ASSERT_TRUE(storage.Connect());
  EXPECT_TRUE(storage.Connect(kBaseProvider));
  EXPECT_EQ(storage.ListTypes()->Count(), 0u);
  EXPECT_EQ(storage.TypeDisplayName(kIeType), "");
  EXPECT_EQ(storage.ListSubtypes(kIeType)->Count(), 0u);
  EXPECT_EQ(storage.ListItems(kIeType, kIeType)->Count(), 0u);
  EXPECT_FALSE(storage.RemoveItem(kIeType, kIeType, "http://www.example.com/:StringData"));
  storage.Disconnect();
  EXPECT_FALSE(storage.Connected());

  const auto clean = testing::Walk(*store, /*clean=*/true);
  EXPECT_TRUE(clean.connected);
  EXPECT_TRUE(clean.items.empty());
  EXPECT_EQ(clean.removed, 0);
}

// Whatever the machine's store holds, a Test-mode walk lists names as the layer keeps them.
TEST(Win32PStore, TestModeWalkListsNamesWithinTheCut) {
  const auto store = MakeWin32ProtectedStorage();
  const auto outcome = testing::Walk(*store, /*clean=*/false);
  if (!outcome.connected) {
    EXPECT_TRUE(outcome.items.empty());
  }
  for (const std::string& name : outcome.items) EXPECT_LE(name.size(), 255u);
}

// The provider keeps pstorec.dll loaded: a connection outliving the machine's store
// (which frees the library) is released safely.
TEST(Win32PStore, ConnectionMayOutliveTheStore) {
  auto store = MakeWin32ProtectedStorage();
  if (!store->Available()) GTEST_SKIP() << "no pstorec.dll here";
  auto storage = std::make_unique<TPStorage>(*store);
  if (!storage->Connect()) GTEST_SKIP() << "no provider here";
  store.reset();
  storage.reset();
  SUCCEED();
}

// The emulated machine treats the system code page as Windows-1252; where the real one
// is 1252 too, both must convert alike.
TEST(Win32PStore, SystemCodePageConversions) {
  const auto owned = MakeWin32ProtectedStorage();
  auto& store = *owned;
  EXPECT_EQ(store.ToSystemCodePage(u"http://x/:StringData"), "http://x/:StringData");
  EXPECT_EQ(store.FromSystemCodePage("http://x/:StringData"), u"http://x/:StringData");
  EXPECT_EQ(store.ToSystemCodePage(u""), "");
  if (GetACP() != 1252) GTEST_SKIP() << "system code page " << GetACP();
  EXPECT_EQ(store.ToSystemCodePage(u"caf\u00E9 \u20AC"), "caf\xE9 \x80");
  EXPECT_EQ(store.FromSystemCodePage("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
  EXPECT_EQ(store.ToSystemCodePage(u"\u65E5z"), "?z");
}

}  // namespace
}  // namespace morvel::stores
