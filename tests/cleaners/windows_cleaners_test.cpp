// The file and clipboard cleaners of the category "Windows" on the machine's own folders.

#include <algorithm>

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(CleanersTest, RecentDocumentsCountsEveryValueOfTheKeyAndEveryFileButLeavesSubFolders) {
  PutKey(kExplorer + "\\RecentDocs", {"0", "1", "MRUListEx"});
  PutKey(kExplorer + "\\RecentDocs\\.txt", {"0", "MRUListEx"});
  PutFile(Recent() + "\\notes.txt.lnk", 500);
  PutFile(Recent() + "\\report", 1500);  // a name without a dot: "*.*" takes it too
  PutFile(Recent() + "\\AutomaticDestinations\\1b4dd67f29cb1962.automaticDestinations-ms", 50);

  const Outcome clean = TestThenClean("Windows - Recent Documents");
  EXPECT_EQ(clean.count, 5 + 2);
  EXPECT_EQ(clean.bytes, 2000u);
  EXPECT_EQ(clean.size_text, "2");
  EXPECT_TRUE(Contains(clean.lines, "deleting " + Recent() + "\\notes.txt.lnk"));
  EXPECT_FALSE(KeyExists(kExplorer + "\\RecentDocs"));
  EXPECT_TRUE(KeyExists(kExplorer));
  EXPECT_FALSE(Exists(Recent() + "\\notes.txt.lnk"));
  EXPECT_FALSE(Exists(Recent() + "\\report"));
  EXPECT_TRUE(
      Exists(Recent() + "\\AutomaticDestinations\\1b4dd67f29cb1962.automaticDestinations-ms"));
  EXPECT_TRUE(Exists(Recent()));
}

TEST_F(CleanersTest, TemporaryFilesEmptiesTheFolderAndItsSubFoldersButKeepsTheFolder) {
  PutFile(Temp() + "\\~DF1.tmp", 1024);
  PutFile(Temp() + "\\setup\\data\\part.cab", 1025);
  PutFile(Temp() + "\\setup\\setup.exe", 10);

  const Outcome clean = TestThenClean("Windows - Temporary Files");
  EXPECT_EQ(clean.count, 3);
  EXPECT_EQ(clean.bytes, 2059u);
  EXPECT_EQ(clean.size_text, "3");
  EXPECT_EQ(clean.lines.size(), 3u);  // one line per file, none for folders
  EXPECT_FALSE(Exists(Temp() + "\\setup"));
  EXPECT_FALSE(Exists(Temp() + "\\~DF1.tmp"));
  EXPECT_TRUE(Exists(Temp()));
}

TEST_F(CleanersTest, FastModeWritesNoEntryLinesButCountsTheSame) {
  PutFile(Temp() + "\\a.tmp");
  PutKey(kExplorer + "\\RunMRU", {"a", "MRUList"});
  for (const char* key : {"Windows - Temporary Files", "Windows - Start Run"}) {
    const Outcome fast = RunItem(key, RunMode::Test, [](TOptionsSetting& s) { s.FastScan = true; });
    const Outcome slow = RunItem(key, RunMode::Test);
    EXPECT_TRUE(fast.lines.empty()) << key;
    EXPECT_FALSE(slow.lines.empty()) << key;
    EXPECT_EQ(fast.count, slow.count) << key;
  }
}

TEST_F(CleanersTest, MemoryDumpsTakesMemoryDmpAndTheMiniDumpFilesButNotItsSubFolders) {
  PutFile(Windows() + "\\MEMORY.DMP", 4096);
  PutFile(Windows() + "\\memory.dmp.old", 1);
  PutFile(Windows() + "\\Minidump\\120726-01.dmp", 2048);
  PutFile(Windows() + "\\Minidump\\120726-02.DMP", 2048);
  PutFile(Windows() + "\\Minidump\\notes.txt", 1);
  PutFile(Windows() + "\\Minidump\\old\\110101-01.dmp", 1);

  const Outcome clean = TestThenClean("Windows - Memory Dumps");
  EXPECT_EQ(clean.count, 3);
  EXPECT_EQ(clean.bytes, 8192u);
  EXPECT_EQ(clean.size_text, "8");
  ASSERT_EQ(clean.lines.size(), 3u);
  // The Windows folder's memory.dmp is listed before the MiniDump files.
  EXPECT_NE(clean.lines[0].find("MEMORY.DMP"), std::string::npos);
  EXPECT_FALSE(Exists(Windows() + "\\MEMORY.DMP"));
  EXPECT_FALSE(Exists(Windows() + "\\Minidump\\120726-02.DMP"));
  EXPECT_TRUE(Exists(Windows() + "\\memory.dmp.old"));
  EXPECT_TRUE(Exists(Windows() + "\\Minidump\\notes.txt"));
  EXPECT_TRUE(Exists(Windows() + "\\Minidump\\old\\110101-01.dmp"));
}

TEST_F(CleanersTest, MemoryDumpsWithoutAnyDumpCountsNothing) {
  const Outcome clean = TestThenClean("Windows - Memory Dumps");
  EXPECT_EQ(clean.count, 0);
  EXPECT_EQ(clean.size_text, "0");
}

TEST_F(CleanersTest, ChkdskFragmentsTakesFileChkNamesOfTheSystemFolderOnly) {
  PutFile(System() + "\\FILE0000.CHK", 300);
  PutFile(System() + "\\file0001.chk", 300);
  PutFile(System() + "\\chkdsk.exe", 300);
  PutFile(System() + "\\FOUND\\FILE0002.CHK", 300);
  // A 32-bit Morvel on 64-bit Windows holds the real System32: the 32-bit system folder's
  // file of the same name is another file.
  PutFile(Windows() + "\\SysWOW64\\FILE0000.CHK", 300);

  const Outcome clean = TestThenClean("Windows - Chkdsk File Fragments");
  EXPECT_EQ(clean.count, 2);
  EXPECT_EQ(clean.bytes, 600u);
  EXPECT_FALSE(Exists(System() + "\\FILE0000.CHK"));
  EXPECT_FALSE(Exists(System() + "\\file0001.chk"));
  EXPECT_TRUE(Exists(System() + "\\chkdsk.exe"));
  EXPECT_TRUE(Exists(System() + "\\FOUND\\FILE0002.CHK"));
  EXPECT_TRUE(Exists(Windows() + "\\SysWOW64\\FILE0000.CHK"));
}

TEST_F(CleanersTest, ClipboardIsEmptiedOnlyWhenRemovingAndCountsNothing) {
  if (auto reason = machine().PutClipboardText("account number 12345")) GTEST_SKIP() << *reason;
  const Outcome test = RunItem("Windows - Clipboard", RunMode::Test);
  EXPECT_EQ(test.count, 0);
  EXPECT_TRUE(test.raw_lines.empty());
  EXPECT_EQ(machine().ClipboardHoldsData(), std::optional<bool>(true));

  const Outcome clean = RunItem("Windows - Clipboard", RunMode::Clean);
  EXPECT_EQ(clean.count, 0);
  EXPECT_TRUE(clean.raw_lines.empty());
  EXPECT_EQ(clean.size_text, "0");
  EXPECT_EQ(machine().ClipboardHoldsData(), std::optional<bool>(false));
}

}  // namespace
}  // namespace morvel::cleaners_test
