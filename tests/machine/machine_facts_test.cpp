#include "platform/emulated/machine_facts.h"

#include <gtest/gtest.h>

#include "platform/emulated/machine.h"
#include "temp_image.h"

namespace morvel::platform::emulated {
namespace {

using testing::TempImage;

TEST(MachineFacts, ImageWithoutMachineIniIsAWindows7AdministratorMachine) {
  TempImage image;
  const auto machine = EmulatedMachine::Open(image.root());
  const MachineFacts& facts = machine->facts();

  EXPECT_EQ(facts.version.family, WindowsFamily::Nt);
  EXPECT_EQ(facts.version.major, 6u);
  EXPECT_EQ(facts.version.minor, 1u);
  EXPECT_TRUE(facts.administrator);
  EXPECT_EQ(facts.Folder(MachineFolder::Windows), R"(C:\Windows)");
  EXPECT_EQ(facts.Folder(MachineFolder::System), R"(C:\Windows\system32)");
  EXPECT_EQ(facts.Folder(MachineFolder::Temp), R"(C:\Users\User\AppData\Local\Temp)");
  EXPECT_EQ(facts.Folder(MachineFolder::Personal), R"(C:\Users\User\Documents)");
  EXPECT_EQ(facts.Folder(MachineFolder::AppData), R"(C:\Users\User\AppData\Roaming)");
  EXPECT_EQ(facts.Folder(MachineFolder::Recent),
            R"(C:\Users\User\AppData\Roaming\Microsoft\Windows\Recent)");
  EXPECT_EQ(facts.Folder(MachineFolder::InternetCache),
            R"(C:\Users\User\AppData\Local\Microsoft\Windows\Temporary Internet Files)");
  EXPECT_EQ(facts.Folder(MachineFolder::Cookies),
            R"(C:\Users\User\AppData\Roaming\Microsoft\Windows\Cookies)");
  EXPECT_EQ(facts.Folder(MachineFolder::History),
            R"(C:\Users\User\AppData\Local\Microsoft\Windows\History)");
  EXPECT_EQ(facts.Folder(MachineFolder::Executable), R"(C:\Program Files\Morvel)");
  EXPECT_EQ(facts.Folder(MachineFolder::ProgramData), R"(C:\ProgramData)");
  EXPECT_EQ(facts.Folder(MachineFolder::Public), R"(C:\Users\Public)");
  EXPECT_EQ(facts.Folder(MachineFolder::LocalLowAppData), R"(C:\Users\User\AppData\LocalLow)");
  EXPECT_EQ(facts.user_name, "User");
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    EXPECT_EQ(facts.Drive(letter), letter == 'C' ? DriveType::Fixed : DriveType::None) << letter;
  EXPECT_TRUE(facts.locked.empty());
  EXPECT_TRUE(facts.window_classes.empty());

  EXPECT_EQ(machine->system().ExecutableFolder(), R"(C:\Program Files\Morvel\)");
  EXPECT_FALSE(machine->windows().TopLevelWindowExists("Shell_TrayWnd"));
}

TEST(MachineFacts, ReadsEverySection) {
  const MachineFacts facts = ParseMachineFacts(
      "; a Windows 98 machine\r\n"
      "[system]\r\nplatform = 9x\r\nVersion=4.10\r\nAdministrator=0\r\nUserName=Zo\xC3\xAB\r\n"
      "[Folders]\r\nTemp=D:/tmp/\r\nExecutable=\"C:\\Tools\\Morvel\"\r\nLocalLow=E:\\Low\r\n"
      "[Drives]\r\na=removable\r\nC=FIXED\r\nD=cdrom\r\nE=remote\r\nR=ramdisk\r\nZ=\r\n"
      "[Locked]\r\n1=C:\\pagefile.sys\r\n2=c:/Users/User/ntuser.dat\r\n"
      "[Windows]\r\n1=MozillaWindowClass\r\n2=IEFrame\r\n",
      "machine.ini");

  EXPECT_EQ(facts.version.family, WindowsFamily::Win9x);
  EXPECT_EQ(facts.version.major, 4u);
  EXPECT_EQ(facts.version.minor, 10u);
  EXPECT_FALSE(facts.administrator);
  EXPECT_EQ(facts.Folder(MachineFolder::Temp), R"(D:\tmp)");
  EXPECT_EQ(facts.Folder(MachineFolder::Executable), R"(C:\Tools\Morvel)");
  EXPECT_EQ(facts.Folder(MachineFolder::Windows), R"(C:\Windows)");  // untouched default
  EXPECT_EQ(facts.Folder(MachineFolder::LocalLowAppData), R"(E:\Low)");
  EXPECT_EQ(facts.user_name, "Zo\xC3\xAB");
  EXPECT_EQ(facts.Drive('A'), DriveType::Removable);
  EXPECT_EQ(facts.Drive('c'), DriveType::Fixed);
  EXPECT_EQ(facts.Drive('D'), DriveType::CdRom);
  EXPECT_EQ(facts.Drive('E'), DriveType::Remote);
  EXPECT_EQ(facts.Drive('R'), DriveType::RamDisk);
  EXPECT_EQ(facts.Drive('Z'), DriveType::None);
  EXPECT_EQ(facts.Drive('F'), DriveType::None);

  ASSERT_EQ(facts.locked.size(), 2u);
  EXPECT_TRUE(facts.IsLocked(ParseWindowsPath(R"(C:\USERS\user\NTUSER.DAT)").value));
  EXPECT_FALSE(facts.IsLocked(ParseWindowsPath(R"(C:\Users\User\ntuser.dat.log)").value));
  EXPECT_TRUE(facts.HasWindowClass("iEfRaMe"));
  EXPECT_FALSE(facts.HasWindowClass("IEFrame2"));
}

TEST(MachineFacts, DrivesSectionReplacesTheDefaultDrive) {
  EXPECT_EQ(ParseMachineFacts("[Drives]\nD=fixed\n", "m").Drive('C'), DriveType::None);
  EXPECT_EQ(ParseMachineFacts("[Drives]\n", "m").Drive('C'), DriveType::None);
  // The first of duplicate keys wins, as with the profile functions.
  EXPECT_EQ(ParseMachineFacts("[Drives]\nD=cdrom\nd=fixed\n", "m").Drive('D'), DriveType::CdRom);
}

TEST(MachineFacts, ReadsUtf16FileWithByteOrderMark) {
  std::string bytes = "\xFF\xFE";
  for (char c : std::string_view("[System]\r\nPlatform=9x\r\n")) {
    bytes += c;
    bytes += '\0';
  }
  EXPECT_EQ(ParseMachineFacts(bytes, "m").version.family, WindowsFamily::Win9x);
  // So is UTF-8 with its mark, tabs and a non-ASCII folder name included.
  EXPECT_EQ(ParseMachineFacts("\xEF\xBB\xBF[Folders]\r\n\tTemp\t=\tC:\\T\xC3\xA9mp\r\n", "m")
                .Folder(MachineFolder::Temp),
            "C:\\T\xC3\xA9mp");
}

struct BadValue {
  std::string ini;
  const char* message;  // after "<IMAGE>/machine.ini:"
};

using namespace std::string_literals;

class MachineFactsError : public ::testing::TestWithParam<BadValue> {};

TEST_P(MachineFactsError, NamesFileLineAndValue) {
  TempImage image;
  image.Write("machine.ini", GetParam().ini);
  try {
    EmulatedMachine::Open(image.root());
    FAIL() << "no error for " << GetParam().ini;
  } catch (const MachineImageError& error) {
    EXPECT_EQ(error.what(), (image.root() / "machine.ini").string() + ":" + GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BadValues, MachineFactsError,
    ::testing::Values(
        BadValue{"[System]\nPlatform=XP\n", "2: Platform 'XP' is not NT or 9x"},
        BadValue{"[System]\nVersion=6\n", "2: Version '6' is not major.minor"},
        BadValue{"\n[System]\nVersion=6.1.7601\n", "3: Version '6.1.7601' is not major.minor"},
        BadValue{"[System]\nVersion=6.x\n", "2: Version '6.x' is not major.minor"},
        BadValue{"[System]\nVersion=-6.1\n", "2: Version '-6.1' is not major.minor"},
        BadValue{"[System]\nVersion=99999999999.1\n",
                 "2: Version '99999999999.1' is not major.minor"},
        BadValue{"[System]\nPlatform=NT\nAdministrator=yes\n",
                 "3: Administrator 'yes' is not an integer"},
        BadValue{"[Folders]\nTemp=Temp\n", "2: Temp 'Temp' is not an absolute Windows path"},
        BadValue{"[Folders]\nWindows=\\Windows\n",
                 "2: Windows '\\Windows' is not an absolute Windows path"},
        BadValue{"[Folders]\nHistory=C:\\..\\History\n",
                 "2: History 'C:\\..\\History' is not an absolute Windows path"},
        BadValue{"[Folders]\nExecutable=C:\\a|b\n",
                 "2: Executable 'C:\\a|b' is not an absolute Windows path"},
        BadValue{"[System]\nUserName=DOMAIN\\User\n",
                 "2: UserName 'DOMAIN\\User' is not a user name"},
        BadValue{"[Drives]\nC=fixed\nD=floppy\n",
                 "3: drive type 'floppy' is not fixed, removable, cdrom, remote or ramdisk"},
        BadValue{"[Drives]\nCD=fixed\n", "2: 'CD' is not a drive letter"},
        BadValue{"[Drives]\n1=fixed\n", "2: '1' is not a drive letter"},
        BadValue{"[Locked]\n1=C:\\a\n2=ntuser.dat\n",
                 "3: locked file 'ntuser.dat' is not an absolute Windows path"},
        // Bytes that are not text never read as a machine with every default.
        BadValue{"[System]\r\nPlatform=NT\r\n\0\0\0\0"s, "3: not text (a zero byte)"},
        BadValue{"\x89PNG\r\n\x1A\n"s, "1: not text (invalid UTF-8)"},
        BadValue{"[System]\nPlatform=N\xC3\x28T\n", "2: not text (invalid UTF-8)"},
        BadValue{"[System]\nPlatform=\xC0\xAE\n", "2: not text (invalid UTF-8)"},
        BadValue{"[System]\rPlatform=\x1B[1mNT\n", "2: not text (control character 0x1B)"},
        BadValue{"\xFF\xFE[\0S\0]\0\n\0\0\0"s, "2: not text (a zero byte)"},
        BadValue{"\xFF\xFE[\0S\0]\0\n\0\x00\xDC"s, "2: not text (an unpaired surrogate)"},
        BadValue{"\xFF\xFE[\0S\0]\0\n\0x"s, "2: not text (an odd number of bytes in UTF-16)"}));

TEST(MachineImage, MissingFolderIsOneLineError) {
  TempImage image;
  const auto missing = image.root() / "nowhere";
  try {
    EmulatedMachine::Open(missing);
    FAIL() << "opened a missing image";
  } catch (const MachineImageError& error) {
    EXPECT_EQ(error.what(), missing.string() + ": machine image folder not found");
  }
  image.Write("file", "x");
  EXPECT_THROW(EmulatedMachine::Open(image.root() / "file"), MachineImageError);
}

TEST(MachineImage, SystemAndWindowsFollowMachineIni) {
  TempImage image;
  image.Write("machine.ini",
              "[System]\nPlatform=9x\nVersion=4.90\n[Folders]\nExecutable=D:\\\n"
              "[Windows]\n1=Shell_TrayWnd\n");
  const auto machine = EmulatedMachine::Open(image.root());
  const WindowsVersion version = machine->system().Version();
  EXPECT_EQ(version.family, WindowsFamily::Win9x);
  EXPECT_EQ(version.major, 4u);
  EXPECT_EQ(version.minor, 90u);
  EXPECT_EQ(machine->system().ExecutableFolder(), "D:\\");
  EXPECT_TRUE(machine->windows().TopLevelWindowExists("shell_traywnd"));
  EXPECT_FALSE(machine->windows().TopLevelWindowExists("Progman"));
}

}  // namespace
}  // namespace morvel::platform::emulated
