#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/emulated/machine.h"
#include "temp_image.h"

namespace morvel::platform::emulated {
namespace {

namespace fs = std::filesystem;
using testing::TempImage;

constexpr std::string_view kRegistry =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Test]\r\n\"Name\"=\"value\"\r\n\r\n";

// The modification time, to tell whether a file was rewritten even with equal content.
std::int64_t ModifiedAt(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0);
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void MakeOld(const fs::path& file) {
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST(MachineSave, LeavesRegistryFileUntouchedUntilTheRegistryChanges) {
  TempImage image;
  const fs::path file = image.Write("registry.reg", kRegistry);
  MakeOld(file);
  const std::int64_t before = ModifiedAt(file);

  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_EQ(ReadText(machine->registry(), RootKey::CurrentUser, R"(software\test)", "name"),
            "value");
  machine->Save();
  EXPECT_EQ(ModifiedAt(file), before);
  EXPECT_EQ(image.Read("registry.reg"), kRegistry);

  ASSERT_TRUE(machine->registry()
                  .WriteValue(RootKey::CurrentUser, R"(Software\Test)",
                              RegistryValue::MakeDword("Count", 7))
                  .ok());
  machine->Save();
  EXPECT_NE(ModifiedAt(file), before);
  EXPECT_NE(image.Read("registry.reg").find("\"Count\"=dword:00000007"), std::string::npos);
  EXPECT_EQ(image.List(""), std::vector<std::string>{"registry.reg"});  // no temporary left

  const auto reopened = EmulatedMachine::Open(image.root());
  const auto count =
      reopened->registry().ReadValue(RootKey::CurrentUser, R"(Software\Test)", "Count");
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(count.value.AsNumber(), 7u);
}

TEST(MachineSave, ImageWithoutRegistryFileGetsOneOnlyAfterAChange) {
  TempImage image;
  {
    const auto machine = EmulatedMachine::Open(image.root());
    EXPECT_FALSE(machine->registry().KeyExists(RootKey::CurrentUser, "Software"));
    machine->Save();
  }
  EXPECT_FALSE(fs::exists(image.root() / "registry.reg"));

  const auto machine = EmulatedMachine::Open(image.root());
  ASSERT_TRUE(machine->registry().CreateKey(RootKey::LocalMachine, R"(SOFTWARE\Morvel)").ok());
  machine->Save();
  EXPECT_TRUE(EmulatedMachine::Open(image.root())
                  ->registry()
                  .KeyExists(RootKey::LocalMachine, R"(software\morvel)"));
}

TEST(MachineImage, HostPathFollowsTheDrives) {
  TempImage image;
  image.MakeFolder("drives/C/Windows");
  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_EQ(machine->HostPath(R"(c:\WINDOWS\notepad.exe)"),
            image.root() / "drives/C/Windows/notepad.exe");
  EXPECT_EQ(machine->HostPath(R"(D:\x)"), std::nullopt);
  EXPECT_TRUE(machine->files().Exists(R"(C:\windows)"));
}

}  // namespace
}  // namespace morvel::platform::emulated
