// The Protected Storage layer on the emulated machine: the cleaner's walk, short fetches,
// the 255-byte cut, the system code page, and what the store file looks like afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/emulated/machine.h"
#include "stores/pstorage.h"
#include "tests/machine/temp_image.h"
#include "tests/pstore/pstore_walk.h"

namespace morvel::stores {
namespace {

namespace fs = std::filesystem;
using platform::emulated::EmulatedMachine;
using platform::emulated::testing::TempImage;
using testing::Walk;

constexpr const char* kIe = "{E161255A-37C3-11D2-BCAA-00C04FD929DB}";
constexpr const char* kOther = "{5E7E8100-9138-11D1-945A-00C04FC308FF}";
constexpr const char* kSubA = "{E161255A-37C3-11D2-BCAA-00C04FD929DB}";
constexpr const char* kSubB = "{00000000-0000-0000-0000-000000000001}";

const std::string kStore =
    "; the current user's store\r\n"
    "[Type " +
    std::string(kOther) +
    "]\r\n"
    "Name=Outlook Express\r\n"
    "[Type " +
    std::string(kIe) +
    "]\r\n"
    "Name=Internet Explorer\r\n"
    "[Subtype " +
    std::string(kOther) + " " + std::string(kSubA) +
    "]\r\n"
    "Item=mail account\r\n"
    "[Subtype " +
    std::string(kIe) + " " + std::string(kSubA) +
    "]\r\n"
    "Item=http://www.example.com/:StringData\r\n"
    "Item=http://www.example.com/:StringIndex\r\n"
    "Item=search\r\n"
    "[Subtype " +
    std::string(kIe) + " " + std::string(kSubB) +
    "]\r\n"
    "Item=login\r\n";

const fs::path kStoreFile = fs::path("stores") / "pstore.ini";

StoreId Id(const char* text) { return *StoreId::Parse(text); }

std::string Items(int count, const std::string& prefix = "item") {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "Item=" + prefix + std::to_string(i) + "\n";
  return lines;
}

TEST(PStorageImage, CleanWalkRemovesEveryInternetExplorerItemAndNothingElse) {
  TempImage image;
  image.Write(kStoreFile, kStore);
  {
    const auto machine = EmulatedMachine::Open(image.root());
    const auto outcome = Walk(machine->protected_storage(), /*clean=*/true);
    EXPECT_TRUE(outcome.connected);
    EXPECT_EQ(outcome.items,
              (std::vector<std::string>{"http://www.example.com/:StringData",
                                        "http://www.example.com/:StringIndex", "search", "login"}));
    EXPECT_EQ(outcome.removed, 4);
    machine->Save();
  }
  EXPECT_EQ(image.Read(kStoreFile),
            "; the current user's store\r\n"
            "[Type " +
                std::string(kOther) +
                "]\r\nName=Outlook Express\r\n"
                "[Type " +
                std::string(kIe) +
                "]\r\nName=Internet Explorer\r\n"
                "[Subtype " +
                std::string(kOther) + " " + std::string(kSubA) +
                "]\r\n"
                "Item=mail account\r\n"
                "[Subtype " +
                std::string(kIe) + " " + std::string(kSubA) +
                "]\r\n"
                "[Subtype " +
                std::string(kIe) + " " + std::string(kSubB) + "]\r\n");
  // A second run finds nothing left to remove.
  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_TRUE(Walk(machine->protected_storage(), true).items.empty());
}

TEST(PStorageImage, TestWalkListsEverythingAndLeavesTheFileByteIdentical) {
  TempImage image;
  image.Write(kStoreFile, kStore);
  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_EQ(Walk(machine->protected_storage(), /*clean=*/false).items.size(), 4u);
  EXPECT_EQ(Walk(machine->protected_storage(), false).items.size(), 4u);
  machine->Save();
  EXPECT_EQ(image.Read(kStoreFile), kStore);
}

TEST(PStorageImage, DisplayNameMustMatchInternetExplorerExactly) {
  for (const char* name : {"internet explorer", "Internet Explorer ", "INTERNET EXPLORER", ""}) {
    SCOPED_TRACE(name);
    TempImage image;
    image.Write(kStoreFile, "[Type " + std::string(kIe) + "]\nName=" + name + "\n[Subtype " + kIe +
                                " " + kSubA + "]\nItem=x\n");
    const auto machine = EmulatedMachine::Open(image.root());
    const auto outcome = Walk(machine->protected_storage(), true);
    EXPECT_TRUE(outcome.connected);
    EXPECT_TRUE(outcome.items.empty());
  }
}

TEST(PStorageImage, TypeWithoutDisplayNameIsNotEntered) {
  TempImage image;
  image.Write(kStoreFile,
              "[Type " + std::string(kIe) + "]\n[Subtype " + kIe + " " + kSubA + "]\nItem=x\n");
  const auto machine = EmulatedMachine::Open(image.root());
  TPStorage storage(machine->protected_storage());
  ASSERT_TRUE(storage.Connect());
  EXPECT_EQ(storage.TypeDisplayName(Id(kIe)), "");
  EXPECT_TRUE(Walk(machine->protected_storage(), true).items.empty());
}

// However few elements the provider hands out per call, the lists hold all of them in order.
TEST(PStorageImage, ShortFetchesStillYieldEveryElement) {
  for (const int batch : {1, 3, 15, 16, 17, 1000}) {
    for (const int count : {0, 1, 15, 16, 17, 33}) {
      SCOPED_TRACE("batch " + std::to_string(batch) + ", " + std::to_string(count) + " items");
      TempImage image;
      std::string file = "[Store]\nBatch=" + std::to_string(batch) + "\n";
      for (int t = 0; t < count; ++t) {
        char id[40];
        std::snprintf(id, sizeof id, "{%08X-0000-0000-0000-000000000000}", t);
        file += "[Type " + std::string(id) + "]\nName=T" + std::to_string(t) + "\n";
      }
      file += "[Type " + std::string(kIe) + "]\nName=Internet Explorer\n";
      file += "[Subtype " + std::string(kIe) + " " + kSubA + "]\n" + Items(count);
      image.Write(kStoreFile, file);
      const auto machine = EmulatedMachine::Open(image.root());
      TPStorage storage(machine->protected_storage());
      ASSERT_TRUE(storage.Connect());
      const auto types = storage.ListTypes();
      ASSERT_EQ(types->Count(), static_cast<std::size_t>(count) + 1);
      for (int t = 0; t < count; ++t)
        EXPECT_EQ(storage.TypeDisplayName(types->IDAt(t)), "T" + std::to_string(t));
      EXPECT_EQ(types->IDAt(count), Id(kIe));
      const auto items = storage.ListItems(Id(kIe), Id(kSubA));
      ASSERT_EQ(items->Count(), static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) EXPECT_EQ(items->NameAt(i), "item" + std::to_string(i));
    }
  }
}

// A long name comes back cut to 255 bytes and its deletion is asked under the cut name,
// which the provider does not know: the item stays, and the walk goes on.
TEST(PStorageImage, LongNamesAreCutAndDeletedUnderTheCutName) {
  const std::string fits(255, 'a');
  const std::string longer = std::string(254, 'b') + "cd";  // 256
  TempImage image;
  image.Write(kStoreFile, "[Type " + std::string(kIe) + "]\nName=Internet Explorer\n[Subtype " +
                              kIe + " " + kSubA + "]\nItem=" + longer + "\nItem=" + fits +
                              "\nItem=last\n");
  {
    const auto machine = EmulatedMachine::Open(image.root());
    const auto outcome = Walk(machine->protected_storage(), true);
    EXPECT_EQ(outcome.items, (std::vector<std::string>{longer.substr(0, 255), fits, "last"}));
    EXPECT_EQ(outcome.removed, 2);
    machine->Save();
  }
  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_EQ(Walk(machine->protected_storage(), false).items,
            std::vector<std::string>{longer.substr(0, 255)});
}

// Names travel through the system code page (Windows-1252 on the emulated machine): what
// it holds survives the round trip and is deleted; what it lacks turns into "?".
TEST(PStorageImage, NamesPassThroughTheSystemCodePage) {
  TempImage image;
  image.Write(kStoreFile, "[Type " + std::string(kIe) + "]\nName=Internet Explorer\n[Subtype " +
                              kIe + " " + kSubA + "]\nItem=caf\xC3\xA9 \xE2\x82\xAC\n" +
                              "Item=\xE6\x97\xA5\xF0\x9F\x98\x80x\n");
  const auto machine = EmulatedMachine::Open(image.root());
  const auto outcome = Walk(machine->protected_storage(), true);
  EXPECT_EQ(outcome.items, (std::vector<std::string>{"caf\xE9 \x80", "??x"}));
  EXPECT_EQ(outcome.removed, 1);
}

TEST(PStorageImage, UnavailableStoreOrFailingProviderGivesNoConnection) {
  for (const char* store : {"[Store]\nAvailable=0\n", "[Store]\nProvider=0\n"}) {
    SCOPED_TRACE(store);
    TempImage image;
    const std::string file = std::string(store) + "[Type " + kIe +
                             "]\nName=Internet Explorer\n[Subtype " + kIe + " " + kSubA +
                             "]\nItem=x\n";
    image.Write(kStoreFile, file);
    const auto machine = EmulatedMachine::Open(image.root());
    TPStorage storage(machine->protected_storage());
    EXPECT_EQ(storage.IsAvailable(), std::string(store).find("Available=0") == std::string::npos);
    EXPECT_FALSE(storage.Connect());
    EXPECT_FALSE(storage.Connected());
    EXPECT_EQ(storage.ListTypes()->Count(), 0u);
    EXPECT_EQ(storage.ListItems(Id(kIe), Id(kSubA))->Count(), 0u);
    EXPECT_FALSE(storage.RemoveItem(Id(kIe), Id(kSubA), "x"));
    EXPECT_FALSE(Walk(machine->protected_storage(), true).connected);
    machine->Save();
    EXPECT_EQ(image.Read(kStoreFile), file);
  }
}

TEST(PStorageImage, MissingStoreFileIsAnEmptyAvailableStore) {
  TempImage image;
  const auto machine = EmulatedMachine::Open(image.root());
  const auto outcome = Walk(machine->protected_storage(), true);
  EXPECT_TRUE(outcome.connected);
  EXPECT_TRUE(outcome.items.empty());
  machine->Save();
  EXPECT_FALSE(fs::exists(image.root() / "stores"));
}

TEST(PStorageImage, ConnectionLifecycle) {
  TempImage image;
  image.Write(kStoreFile, kStore);
  const auto machine = EmulatedMachine::Open(image.root());
  TPStorage storage(machine->protected_storage());
  EXPECT_FALSE(storage.Connected());
  EXPECT_EQ(storage.TypeDisplayName(Id(kIe)), "");
  ASSERT_TRUE(storage.Connect());
  ASSERT_TRUE(storage.Connect());  // reconnects
  EXPECT_EQ(storage.ListTypes()->Count(), 2u);
  storage.Disconnect();
  storage.Disconnect();
  EXPECT_EQ(storage.ListTypes()->Count(), 0u);
  EXPECT_EQ(storage.ListSubtypes(Id(kIe))->Count(), 0u);
  EXPECT_FALSE(storage.RemoveItem(Id(kIe), Id(kSubB), "login"));
  // Only the system's own provider exists.
  EXPECT_TRUE(storage.Connect(StoreId::Parse("{8A078C30-3755-11D0-A0BD-00AA0061426A}")));
  EXPECT_FALSE(storage.Connect(Id(kIe)));
  EXPECT_FALSE(storage.Connected());
}

TEST(PStorageImage, RemoveItemReportsWhetherTheProviderDeleted) {
  TempImage image;
  image.Write(kStoreFile, kStore);
  const auto machine = EmulatedMachine::Open(image.root());
  TPStorage storage(machine->protected_storage());
  ASSERT_TRUE(storage.Connect());
  EXPECT_FALSE(storage.RemoveItem(Id(kIe), Id(kSubB), "LOGIN"));  // names match exactly
  EXPECT_FALSE(storage.RemoveItem(Id(kIe), Id(kSubA), "login"));  // another subtype's
  EXPECT_FALSE(storage.RemoveItem(Id(kSubB), Id(kSubB), "login"));
  EXPECT_TRUE(storage.RemoveItem(Id(kIe), Id(kSubB), "login"));
  EXPECT_FALSE(storage.RemoveItem(Id(kIe), Id(kSubB), "login"));  // gone
  EXPECT_EQ(storage.ListItems(Id(kIe), Id(kSubB))->Count(), 0u);
  EXPECT_EQ(storage.ListSubtypes(Id(kIe))->Count(), 2u);  // the subtype itself stays
}

}  // namespace
}  // namespace morvel::stores
