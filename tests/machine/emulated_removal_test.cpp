// Deletion on the emulated machine where it goes beyond what both backends share: files in
// use inside a folder, links leading out of the machine, names Windows cannot hold, and the
// list of deletions at the next start in the machine's registry.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/emulated/machine.h"
#include "temp_image.h"

namespace morvel::platform::emulated {
namespace {

namespace fs = std::filesystem;
using testing::TempImage;

constexpr std::string_view kSessionManager = R"(SYSTEM\CurrentControlSet\Control\Session Manager)";
constexpr std::string_view kPending = "PendingFileRenameOperations";

std::vector<std::uint8_t> Utf16Z(std::string_view ascii) {
  std::vector<std::uint8_t> bytes;
  for (char c : ascii) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::vector<std::uint8_t> Concat(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::vector<std::uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::string RegHex(const std::vector<std::uint8_t>& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text += ',';
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

class EmulatedRemovalTest : public ::testing::Test {
 protected:
  EmulatedRemovalTest() { image_.MakeFolder("drives/C"); }

  EmulatedMachine& Open() {
    machine_ = EmulatedMachine::Open(image_.root());
    return *machine_;
  }
  FileSystem& files() { return machine_->files(); }

  TempImage image_;
  std::unique_ptr<EmulatedMachine> machine_;
};

TEST_F(EmulatedRemovalTest, AFolderHoldingAFileInUseKeepsItAndFails) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    image_.Write(fs::path("drives/C/tree") / name, "x");
  image_.Write("machine.ini", "[Locked]\n1=c:\\TREE\\b.txt\n");
  Open();
  EXPECT_EQ(files().ShellDelete(R"(C:\tree)").kind, ErrorKind::InUse);
  EXPECT_TRUE(files().Exists(R"(C:\tree\b.txt)"));
  EXPECT_EQ(files().ShellDelete(R"(C:\tree\B.TXT)").kind, ErrorKind::InUse);
  EXPECT_EQ(files().RemoveFolder(R"(C:\tree)").kind, ErrorKind::Other);
  EXPECT_TRUE(files().Exists(R"(C:\tree\b.txt)"));
}

TEST_F(EmulatedRemovalTest, NothingOutsideTheMachineIsDeleted) {
  TempImage outside;
  outside.Write("keep/precious.txt", "keep");
  image_.MakeFolder("drives/C/holder");
  fs::create_directory_symlink(outside.root() / "keep", image_.root() / "drives/C/holder/out");
  fs::create_directory_symlink(outside.root() / "keep", image_.root() / "drives/C/out");
  Open();

  // Through a link leading out nothing is reached at all.
  EXPECT_EQ(files().ShellDelete(R"(C:\out\precious.txt)").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(files().RemoveFolder(R"(C:\out\sub)").kind, ErrorKind::AccessDenied);
  // The links themselves go, as links.
  EXPECT_TRUE(files().RemoveFolder(R"(C:\out)").ok());
  EXPECT_TRUE(files().ShellDelete(R"(C:\holder)").ok());
  EXPECT_FALSE(fs::exists(image_.root() / "drives/C/holder"));
  EXPECT_FALSE(fs::is_symlink(image_.root() / "drives/C/out"));
  EXPECT_EQ(outside.Read("keep/precious.txt"), "keep");

  // A whole drive is never one deletion.
  EXPECT_EQ(files().ShellDelete("C:\\").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(files().RemoveFolder("C:\\").kind, ErrorKind::AccessDenied);
  EXPECT_TRUE(fs::exists(image_.root() / "drives/C"));
}

TEST_F(EmulatedRemovalTest, NamesWindowsCannotHoldAreNeverDeleted) {
  image_.Write("drives/C/tree/visible.txt", "x");
  image_.Write("drives/C/tree/a:b", "host only");
  Open();
  const Status status = files().ShellDelete(R"(C:\tree)");
  EXPECT_EQ(status.kind, ErrorKind::Other);
  EXPECT_EQ(status.system_code, 145u);  // the folder is not empty
  EXPECT_EQ(image_.Read("drives/C/tree/a:b"), "host only");
  EXPECT_FALSE(files().Exists(R"(C:\tree\visible.txt)"));
}

TEST_F(EmulatedRemovalTest, DeleteOnRebootAppendsAfterEarlierDeletions) {
  // An earlier deletion (empty destination) and a rename: the empty string inside the list
  // must not be taken for its end.
  const auto earlier = Concat({Utf16Z(R"(\??\C:\old.tmp)"), Utf16Z(""), Utf16Z(R"(\??\C:\a)"),
                               Utf16Z(R"(!\??\C:\b)"), Utf16Z("")});
  image_.Write("registry.reg",
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session "
               "Manager]\r\n\"PendingFileRenameOperations\"=hex(7):" +
                   RegHex(earlier) + "\r\n");
  image_.Write("drives/C/Users/index.dat", "x");
  Open();

  ASSERT_TRUE(files().DeleteOnReboot(R"(c:\users\.\index.dat)").ok());
  machine_->Save();
  Open();  // the list survives the round trip through registry.reg
  const auto value =
      machine_->registry().ReadValue(RootKey::LocalMachine, kSessionManager, kPending);
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(value.value.type, ValueType::MultiString);
  std::vector<std::uint8_t> expected(earlier.begin(), earlier.end() - 2);
  for (const auto& part : {Utf16Z(R"(\??\C:\users\index.dat)"), Utf16Z(""), Utf16Z("")})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(value.value.data, expected);
}

TEST_F(EmulatedRemovalTest, DeleteOnRebootRefusesWhatItCannotRecord) {
  image_.Write("drives/C/file.dat", "x");
  const std::string reg =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager]\r\n"
      "\"PendingFileRenameOperations\"=\"not a list\"\r\n";
  image_.Write("registry.reg", reg);
  Open();
  // A value of another type is left alone rather than overwritten.
  EXPECT_FALSE(files().DeleteOnReboot(R"(C:\file.dat)").ok());
  machine_->Save();
  EXPECT_EQ(image_.Read("registry.reg"), reg);

  // Only an administrator may write below HKEY_LOCAL_MACHINE.
  image_.Write("machine.ini", "[System]\nAdministrator=0\n");
  Open();
  EXPECT_FALSE(machine_->system().IsAdministrator());
  EXPECT_EQ(files().DeleteOnReboot(R"(C:\file.dat)").kind, ErrorKind::AccessDenied);
  machine_->Save();
  EXPECT_EQ(image_.Read("registry.reg"), reg);
}

TEST_F(EmulatedRemovalTest, FoldersComeFromMachineIniWithoutTrailingBackslash) {
  image_.Write("machine.ini",
               "[Folders]\nWindows=D:\\WINNT\\\nPersonal=C:\\\nAppData=C:\\Data\\App\n");
  Open();
  EXPECT_EQ(machine_->system().WindowsFolder(), R"(D:\WINNT)");
  EXPECT_EQ(machine_->system().SpecialFolderPath(SpecialFolder::Personal), "C:");
  EXPECT_EQ(machine_->system().SpecialFolderPath(SpecialFolder::AppData), R"(C:\Data\App)");
  EXPECT_EQ(machine_->system().SpecialFolderPath(SpecialFolder::InternetCache),
            R"(C:\Users\User\AppData\Local\Microsoft\Windows\Temporary Internet Files)");
}

}  // namespace
}  // namespace morvel::platform::emulated
