#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A write killed between making its temporary file and renaming it leaves the temporary
// behind, with its record; the next opening removes exactly the recorded ones of writers
// that have ended, wherever the write was. A user's file that merely has such a name, a
// running writer's temporary and a link put in a temporary's place all stay.
TEST(MachineImage, OpeningRemovesOnlyRecordedTemporariesOfKilledWrites) {
  TempImage image;
  const auto temp_of = [](int writer, int number) {
    return ".morvel-write-" + std::to_string(writer) + "-" + std::to_string(number) + ".tmp";
  };
  const int ended = 999999999;  // no such process
  const std::string running = temp_of(::getpid(), 18);
  const fs::path journal = image.root() / ".morvel-writes";
  int number = 0;
  for (const char* folder : {"", "stores", "drives/C/Program Files/Morvel"}) {
    const std::string killed = temp_of(ended, ++number);
    image.Write(fs::path(folder) / killed, "half a registry");
    image.Write(fs::path(".morvel-writes") / killed, (image.root() / folder / killed).string());
    image.Write(fs::path(folder) / running, "being written");
    image.Write(fs::path(".morvel-writes") / running, (image.root() / folder / running).string());
    // Named like a temporary of an ended writer, but never recorded: the user's own.
    image.Write(fs::path(folder) / temp_of(ended, 100 + number), "the user's");
  }
  const std::string linked = temp_of(ended, 50);
  ASSERT_EQ(::symlink("elsewhere", (image.root() / "drives/C" / linked).c_str()), 0);
  image.Write(fs::path(".morvel-writes") / linked, (image.root() / "drives/C" / linked).string());

  EmulatedMachine::Open(image.root());
  number = 0;
  for (const char* folder : {"", "stores", "drives/C/Program Files/Morvel"}) {
    ++number;
    EXPECT_FALSE(fs::exists(image.root() / folder / temp_of(ended, number))) << folder;
    EXPECT_TRUE(fs::exists(image.root() / folder / running)) << folder;
    EXPECT_TRUE(fs::exists(image.root() / folder / temp_of(ended, 100 + number))) << folder;
  }
  EXPECT_TRUE(fs::is_symlink(image.root() / "drives/C" / linked));
  // Only the running writer's records are left.
  std::vector<std::string> records;
  for (const auto& entry : fs::directory_iterator(journal))
    records.push_back(entry.path().filename().string());
  EXPECT_EQ(records, std::vector<std::string>{running});
}

// Writes leave no journal behind once they are over.
TEST(MachineImage, FinishedWritesLeaveNoRecords) {
  TempImage image;
  image.Write("drives/C/Data/old.txt", "old");
  {
    const auto machine = EmulatedMachine::Open(image.root());
    ASSERT_TRUE(machine->files().WriteFile(R"(C:\Data\a.txt)", "a").ok());
    ASSERT_TRUE(machine->registry().CreateKey(RootKey::CurrentUser, "Software\\Morvel").ok());
    machine->Save();
  }
  EXPECT_FALSE(fs::exists(image.root() / ".morvel-writes"));
  EXPECT_TRUE(fs::exists(image.root() / "registry.reg"));
}

// Without administrator rights HKEY_LOCAL_MACHINE can be read but not changed, as on
// Windows; the user's own hive stays writable.
TEST(MachineImage, NonAdministratorCannotChangeTheLocalMachine) {
  TempImage image;
  const std::string reg =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n\"Name\"=\"value\"\r\n\r\n";
  image.Write("registry.reg", reg);
  image.Write("machine.ini", "[System]\nAdministrator=0\n");
  const auto machine = EmulatedMachine::Open(image.root());
  Registry& registry = machine->registry();
  const auto kMachine = RootKey::LocalMachine;
  const struct {
    const char* what;
    Status status;
  } refused[] = {
      {"delete value", registry.DeleteValue(kMachine, R"(SOFTWARE\Vendor)", "Name")},
      {"delete key", registry.DeleteTree(kMachine, R"(SOFTWARE\Vendor)")},
      {"set value",
       registry.WriteValue(kMachine, R"(SOFTWARE\Vendor)", RegistryValue::MakeDword("Count", 1))},
      {"create key", registry.CreateKey(kMachine, R"(SOFTWARE\Other)")},
  };
  for (const auto& r : refused) EXPECT_EQ(r.status.kind, ErrorKind::AccessDenied) << r.what;
  EXPECT_EQ(registry.SubKeyNames(kMachine, "SOFTWARE", Access::Full).status.kind,
            ErrorKind::AccessDenied);
  EXPECT_EQ(ReadText(registry, kMachine, R"(SOFTWARE\Vendor)", "Name"), "value");
  EXPECT_TRUE(registry.CreateKey(RootKey::CurrentUser, "Software").ok());
  machine->Save();
  EXPECT_NE(image.Read("registry.reg").find("[HKEY_CURRENT_USER\\Software]"), std::string::npos);
  EXPECT_NE(image.Read("registry.reg").find(reg.substr(40)), std::string::npos);
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
