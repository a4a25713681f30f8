// Reboot-time removal (the registry's pending deletions, Wininit.ini) and the folder
// lookups.

#include "common/text.h"
#include "engine/folder_lookups.h"
#include "engine/reboot_removal.h"
#include "tests/removal/removal_fixture.h"

namespace morvel::removal_test {
namespace {

using platform::RootKey;

// Works on the machine's own Wininit.ini and puts back what was there.
class WininitTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    path_ = backend().system().WindowsFolder() + "\\Wininit.ini";
    ASSERT_TRUE(files().CreateFolder(backend().system().WindowsFolder()).ok());
    const auto before = files().ReadFile(path_);
    if (before.ok()) before_ = before.value;
  }
  void TearDown() override {
    backend().UnlockFiles();
    if (before_)
      (void)files().WriteFile(path_, *before_);
    else
      (void)files().ShellDelete(path_);
    RemovalTest::TearDown();
  }

  // Runs AddWininitRenames(a, b) on a Wininit.ini holding `content` (none when nullopt)
  // and returns what the file holds afterwards.
  std::string AddRenames(std::optional<std::string> content, RunMode mode = RunMode::Clean,
                         bool lock = false) {
    if (content)
      WriteAt(path_, *content);
    else
      (void)files().ShellDelete(path_);
    if (lock) {
      if (auto why = backend().LockFile(path_)) return "<cannot lock: " + *why + ">";
    }
    auto run = MakeRun(mode);
    AddWininitRenames(*run, {"NUL=C:\\a.dat", "NUL=C:\\b.dat"});
    backend().UnlockFiles();
    return ContentAt(path_);
  }

 private:
  std::string path_;
  std::optional<std::string> before_;
};

TEST_F(WininitTest, LinesGoRightAfterTheSectionInReverseOrder) {
  EXPECT_EQ(AddRenames("[boot]\r\nx=1\r\n[Rename]\r\nNUL=C:\\old.dat\r\n"),
            "[boot]\r\nx=1\r\n[Rename]\r\nNUL=C:\\b.dat\r\nNUL=C:\\a.dat\r\nNUL=C:\\old.dat\r\n");
}

TEST_F(WininitTest, SectionIsAddedWhenMissing) {
  EXPECT_EQ(AddRenames(std::nullopt), "[rename]\r\nNUL=C:\\a.dat\r\nNUL=C:\\b.dat\r\n");
}

TEST_F(WininitTest, OtherLineEndsComeBackAsCrLf) {
  EXPECT_EQ(AddRenames("[boot]\nx=1\r[renamed]\n"),
            "[boot]\r\nx=1\r\n[renamed]\r\n[rename]\r\nNUL=C:\\a.dat\r\nNUL=C:\\b.dat\r\n");
}

TEST_F(WininitTest, TestModeAndUnreadableFileLeaveItAlone) {
  EXPECT_EQ(AddRenames("[rename]\r\n", RunMode::Test), "[rename]\r\n");
  EXPECT_EQ(AddRenames("[rename]\r\n", RunMode::Clean, /*lock=*/true), "[rename]\r\n");
}

class RebootDeletionTest : public RemovalTest {
 protected:
  static constexpr const char* kKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  static constexpr const char* kValue = "PendingFileRenameOperations";

  std::optional<platform::RegistryValue> Pending() {
    auto value = backend().registry().ReadValue(RootKey::LocalMachine, kKey, kValue);
    if (!value.ok()) return std::nullopt;
    return value.value;
  }
  void Restore(const std::optional<platform::RegistryValue>& before) {
    if (before)
      (void)backend().registry().WriteValue(RootKey::LocalMachine, kKey, *before);
    else
      (void)backend().registry().DeleteValue(RootKey::LocalMachine, kKey, kValue);
  }

  // Clean's DeleteOnReboot of the existing file `path`: whether it was done, and whether
  // the pair (source, empty destination) was recorded, as UTF-16 with each string's
  // terminating zero.
  void ExpectRecorded(const std::string& path) {
    const auto before = Pending();
    const bool done = DeleteOnReboot(*MakeRun(RunMode::Clean), path);
    const auto after = Pending();
    Restore(before);
    EXPECT_TRUE(done);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->type, platform::ValueType::MultiString);
    const std::string pair = Utf8ToUtf16LeBytes("\\??\\" + path) + std::string(4, '\0');
    const std::string data(after->data.begin(), after->data.end());
    EXPECT_NE(data.find(pair), std::string::npos) << Utf16LeBytesToUtf8(data);
    EXPECT_TRUE(files().Exists(path));  // until the next start
  }
};

TEST_F(RebootDeletionTest, ExistingFileIsRecordedAsPendingDeletion) {
  Write("index.dat", "x");
  const auto before = Pending();

  // Test mode and a missing file record nothing and count as done.
  EXPECT_TRUE(DeleteOnReboot(*MakeRun(RunMode::Test), Path("index.dat")));
  EXPECT_TRUE(DeleteOnReboot(*MakeRun(RunMode::Clean), Path("missing.dat")));
  EXPECT_EQ(Pending(), before);
  ExpectRecorded(Path("index.dat"));
}

// Windows deletes it at the next start, where System32 is the system's own and Sysnative
// (a 32-bit program's name for it) means nothing: the name the run was given is recorded.
TEST_F(RebootDeletionTest, AFileOfTheSystemFolderIsRecordedUnderItsOwnName) {
  SKIP_IF(backend().BecomeWindows64());
  const std::string folder = backend().system().SystemFolder() + "\\Morvel reboot test";
  ASSERT_TRUE(files().CreateFolder(folder));
  ASSERT_TRUE(files().WriteFile(folder + "\\pending.dat", "x"));
  ExpectRecorded(folder + "\\pending.dat");
  EXPECT_TRUE(files().ShellDelete(folder));
}

class FolderLookupsTest : public RemovalTest {};

TEST_F(FolderLookupsTest, FoldersEndWithABackslash) {
  auto run = MakeRun(RunMode::Test);
  const auto& system = backend().system();
  EXPECT_EQ(GetMyDocumentsFolder(*run),
            system.SpecialFolderPath(platform::SpecialFolder::Personal) + "\\");
  EXPECT_EQ(GetAppDataFolder(*run),
            system.SpecialFolderPath(platform::SpecialFolder::AppData) + "\\");
}

}  // namespace
}  // namespace morvel::removal_test
