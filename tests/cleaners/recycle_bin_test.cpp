// "Windows - Empty Recycle Bin" on a throwaway machine only: Clean empties every bin of
// the machine through the shell.

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

const auto kShowLog = [](TOptionsSetting& s) { s.ShowLogRecycleBin = true; };
const auto kQuiet = [](TOptionsSetting& s) { s.ShowLogRecycleBin = false; };
constexpr const char* kItem = "Windows - Empty Recycle Bin";

class RecycleBinTest : public CleanersTest {
 protected:
  void SetUp() override {
    CleanersTest::SetUp();
    if (!machine().IsEmulated()) GTEST_SKIP() << "would empty the real machine's recycle bins";
  }
  // A FAT drive's bin as Windows keeps it.
  void PutRecycledFolder(const std::string& drive, bool with_info2 = true) {
    if (with_info2) PutFile(drive + "\\Recycled\\INFO2", 820);
    PutFile(drive + "\\Recycled\\desktop.ini", 65);
  }
};

TEST_F(RecycleBinTest, ScansTheRecycledFolderOfEveryFixedDriveLeavingItsBookkeeping) {
  PutRecycledFolder("D:");
  PutFile("D:\\Recycled\\Dc1.txt", 100);
  PutFile("D:\\Recycled\\Dc2\\a.txt", 200);
  PutFile("D:\\Recycled\\Dc2\\b\\c.txt", 300);
  PutRecycledFolder("E:");  // removable: never scanned, never emptied
  PutFile("E:\\Recycled\\Dc1.txt", 100);

  const Outcome clean = TestThenClean(kItem, kShowLog);
  EXPECT_EQ(clean.count, 3);
  EXPECT_EQ(clean.bytes, 600u);
  EXPECT_EQ(clean.size_text, "1");
  // The drive letters are walked in lower case, and so the paths are written.
  EXPECT_EQ(clean.lines, (std::vector<std::string>{"deleting d:\\Recycled\\Dc1.txt",
                                                   "deleting d:\\Recycled\\Dc2\\a.txt",
                                                   "deleting d:\\Recycled\\Dc2\\b\\c.txt"}));
  EXPECT_FALSE(Exists("D:\\Recycled\\Dc2"));
  EXPECT_TRUE(Exists("D:\\Recycled\\desktop.ini"));
  EXPECT_TRUE(Exists("E:\\Recycled\\Dc1.txt"));
}

TEST_F(RecycleBinTest, WithoutTheLogCleanSaysItIsClearingAndTestSaysNothing) {
  PutRecycledFolder("D:");
  PutFile("D:\\Recycled\\Dc1.txt", 100);
  const Outcome test = RunItem(kItem, RunMode::Test, kQuiet);
  EXPECT_EQ(test.count, 1);
  EXPECT_TRUE(test.raw_lines.empty());
  const Outcome clean = RunItem(kItem, RunMode::Clean, kQuiet);
  EXPECT_EQ(clean.count, 1);
  EXPECT_EQ(clean.raw_lines, std::vector<std::string>{"Clearing, please wait..."});
}

TEST_F(RecycleBinTest, BinsOutsideRecycledCountAsTheShellCountsThemAndCleanEmptiesThem) {
  // Windows 7 keeps the user's bin in $Recycle.Bin: an "$I" record beside each item.
  const std::string bin = "C:\\$Recycle.Bin\\S-1-5-21-1004336348-1177238915-682003330-1000";
  PutFile(bin + "\\desktop.ini", 129);
  PutFile(bin + "\\$IW3K2Q1.docx", 544);
  PutFile(bin + "\\$RW3K2Q1.docx", 2048);
  PutFile(bin + "\\$I0A1B2C", 544);
  PutFile(bin + "\\$R0A1B2C\\old.txt", 1000);  // a deleted folder is one item
  PutFile(bin + "\\$R0A1B2C\\older.txt", 1000);

  const Outcome clean = TestThenClean(kItem, kShowLog);
  EXPECT_EQ(clean.count, 2);
  EXPECT_EQ(clean.bytes, 4048u);
  EXPECT_TRUE(clean.lines.empty());  // the shell names no files
  EXPECT_FALSE(Exists(bin + "\\$RW3K2Q1.docx"));
  EXPECT_FALSE(Exists(bin + "\\$IW3K2Q1.docx"));
  EXPECT_FALSE(Exists(bin + "\\$R0A1B2C"));
  EXPECT_TRUE(Exists(bin + "\\desktop.ini"));
  EXPECT_EQ(RunItem(kItem, RunMode::Test).count, 0);
}

TEST_F(RecycleBinTest, ARecycledFolderWithoutInfo2IsNotScanned) {
  PutRecycledFolder("D:", /*with_info2=*/false);
  PutFile("D:\\Recycled\\Dc1.txt", 100);
  const Outcome test = RunItem(kItem, RunMode::Test, kShowLog);
  for (const std::string& line : test.lines)
    EXPECT_EQ(line.find("D:\\Recycled"), std::string::npos) << line;
  EXPECT_TRUE(Exists("D:\\Recycled\\Dc1.txt"));
}

}  // namespace
}  // namespace morvel::cleaners_test
