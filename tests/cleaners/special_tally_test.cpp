// The special steps, item by item: a probing Test and the Clean after it agree on what stays
// and why (TestThenClean checks it), whether a file is held by another program, a folder is
// refused by the guard, or an index waits for the next start.

#include <functional>
#include <iostream>

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

using platform::SpecialFolder;

class SpecialTallyTest : public CleanersTest {
 public:
  using CleanersTest::Documents;
  using CleanersTest::PutFile;
  using CleanersTest::PutValue;
  using TwoBackendTest::machine;
  std::string Folder(SpecialFolder folder) { return machine().system().SpecialFolderPath(folder); }
};

struct SpecialRow {
  const char* key;
  bool emulated_only;  // works in folders the prefix's own browser or shell fills
  // Lays traces down; a reason when this machine cannot.
  std::function<testing::SkipReason(SpecialTallyTest&)> arrange;
  // What both leave.
  std::function<std::vector<LeftEntry>(SpecialTallyTest&)> left;
  std::int32_t removed;
};

TEST_F(SpecialTallyTest, WhatEachSpecialStepLeavesIsTheSameInTestAndClean) {
  const std::vector<SpecialRow> rows = {
      {"Internet Explorer - Cookies", false,
       [](SpecialTallyTest& t) {
         const std::string cookies = t.Folder(SpecialFolder::Cookies);
         t.PutFile(cookies + "\\user@gone[1].txt", 10);
         t.PutFile(cookies + "\\user@held[1].txt", 20);
         return t.machine().LockFile(cookies + "\\user@held[1].txt");
       },
       [](SpecialTallyTest& t) {
         return std::vector<LeftEntry>{
             {t.Folder(SpecialFolder::Cookies) + "\\user@held[1].txt", LeftReason::InUse, 1, 20}};
       },
       1},
      {"Internet Explorer - Temporary Internet Files", true,
       [](SpecialTallyTest& t) {
         const std::string cache = t.Folder(SpecialFolder::InternetCache);
         t.PutFile(cache + "\\Content.IE5\\AB12\\page[1].htm", 30);
         t.PutFile(cache + "\\Content.IE5\\AB12\\held[1].gif", 40);
         return t.machine().LockFile(cache + "\\Content.IE5\\AB12\\held[1].gif");
       },
       [](SpecialTallyTest& t) {
         return std::vector<LeftEntry>{
             {t.Folder(SpecialFolder::InternetCache) + "\\Content.IE5\\AB12\\held[1].gif",
              LeftReason::InUse, 1, 40}};
       },
       1},
      {"Internet Explorer - Index.dat Files", true,
       [](SpecialTallyTest& t) {
         t.PutFile(t.Folder(SpecialFolder::Cookies) + "\\index.dat", 0x800);
         t.PutFile(t.Folder(SpecialFolder::History) + "\\History.IE5\\index.dat", 0x800);
         return testing::SkipReason{};
       },
       [](SpecialTallyTest& t) {
         return std::vector<LeftEntry>{
             {t.Folder(SpecialFolder::Cookies) + "\\index.dat", LeftReason::AtRestart},
             {t.Folder(SpecialFolder::History) + "\\History.IE5\\index.dat",
              LeftReason::AtRestart}};
       },
       3},
      {"Instant Messengers - MSN Messenger", false,
       [](SpecialTallyTest& t) {
         // The log folder another program names is the user's Documents: refused.
         t.PutValue("Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\1",
                    platform::RegistryValue::MakeString("MessageLogPath", t.Documents()));
         t.PutFile(t.Documents() + "\\My Received Files\\photo.png", 50);
         return testing::SkipReason{};
       },
       [](SpecialTallyTest& t) {
         return std::vector<LeftEntry>{{t.Documents() + "\\", LeftReason::Refused}};
       },
       1},
      {"Windows - Empty Recycle Bin", true,
       [](SpecialTallyTest& t) {
         t.PutFile("D:\\Recycled\\INFO2", 820);
         t.PutFile("D:\\Recycled\\desktop.ini", 65);
         t.PutFile("D:\\Recycled\\Dc1.txt", 100);
         t.PutFile("D:\\Recycled\\Dc2.txt", 200);
         return t.machine().LockFile("D:\\Recycled\\Dc2.txt");
       },
       [](SpecialTallyTest&) {
         return std::vector<LeftEntry>{{"d:\\Recycled\\Dc2.txt", LeftReason::InUse, 1, 200}};
       },
       1},
  };
  for (const SpecialRow& row : rows) {
    SCOPED_TRACE(row.key);
    if (row.emulated_only && !machine().IsEmulated()) continue;
    if (const auto why = row.arrange(*this)) {
      std::cout << "[ row skipped ] " << row.key << ": " << *why << "\n";
      continue;
    }
    // Files shown, so that no "Clearing" line stands in a Clean alone.
    const Outcome clean = TestThenClean(row.key, [](TOptionsSetting& settings) {
      settings.ShowLogTempInternetFiles = true;
      settings.ShowLogRecycleBin = true;
    });
    EXPECT_EQ(clean.tally.left, row.left(*this));
    EXPECT_EQ(clean.count, row.removed);
    machine().UnlockFiles();
  }
}

}  // namespace
}  // namespace morvel::cleaners_test
