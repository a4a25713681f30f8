// What 64-bit Windows keeps twice, as the port shows it to a program of either width: the
// registry's 64-bit view with the 32-bit programs' keys under their own names, both Program
// Files folders, and System32 as the system's own beside SysWOW64.

#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using platform::RootKey;
using testing::ProgramWidth;

constexpr RootKey kMachine = RootKey::LocalMachine;

using Windows64Contract = PortContract;

TEST_F(Windows64Contract, TheRegistryIsThe64BitViewAndThe32BitProgramsKeysHaveTheirOwnName) {
  SKIP_IF(backend().BecomeWindows64());
  const std::string key = Key("Program");
  backend().PutValueAs(ProgramWidth::Bits64, key, "wide", "64");
  backend().PutValueAs(ProgramWidth::Bits32, key, "narrow", "32");
  const std::vector<std::string> views = platform::KeyInEveryView(registry(), kMachine, key);
  ASSERT_EQ(views.size(), 2u);
  const std::string& twin = views.back();

  EXPECT_TRUE(registry().ReadValue(kMachine, key, "wide").ok());
  EXPECT_EQ(registry().ReadValue(kMachine, key, "narrow").status.kind, ErrorKind::NotFound);
  EXPECT_TRUE(registry().ReadValue(kMachine, twin, "narrow").ok());
  EXPECT_EQ(registry().ReadValue(kMachine, twin, "wide").status.kind, ErrorKind::NotFound);

  // What the port writes and removes is the 64-bit programs' key; the twin is left alone.
  ASSERT_TRUE(registry().WriteValue(kMachine, key, platform::RegistryValue::MakeDword("new", 1)));
  EXPECT_TRUE(backend().HoldsValueAs(ProgramWidth::Bits64, key, "new"));
  EXPECT_FALSE(backend().HoldsValueAs(ProgramWidth::Bits32, key, "new"));
  EXPECT_TRUE(registry().DeleteValue(kMachine, key, "wide"));
  EXPECT_FALSE(backend().HoldsValueAs(ProgramWidth::Bits64, key, "wide"));
  EXPECT_TRUE(registry().DeleteTree(kMachine, key));
  EXPECT_FALSE(registry().KeyExists(kMachine, key));
  EXPECT_TRUE(backend().HoldsValueAs(ProgramWidth::Bits32, key, "narrow"));
  EXPECT_TRUE(registry().DeleteTree(kMachine, twin));
  EXPECT_FALSE(backend().HoldsValueAs(ProgramWidth::Bits32, key, "narrow"));
}

TEST_F(Windows64Contract, AProgramsKeyHasA32BitTwinOnlyBelowSoftwareOn64BitWindows) {
  if (!registry().KeyExists(kMachine, "Software\\WOW6432Node")) {
    EXPECT_EQ(platform::KeyInEveryView(registry(), kMachine, "Software\\Vendor"),
              std::vector<std::string>{"Software\\Vendor"});
  }
  SKIP_IF(backend().BecomeWindows64());
  struct Case {
    RootKey root;
    const char* path;
    const char* twin;  // nullptr: the key has none
  };
  for (const Case& c : {
           Case{kMachine, "Software\\Vendor\\App", "Software\\WOW6432Node\\Vendor\\App"},
           Case{kMachine, "\\SOFTWARE\\Vendor", "SOFTWARE\\WOW6432Node\\Vendor"},
           Case{kMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
           Case{kMachine, "Software", nullptr},
           Case{kMachine, "Software\\", nullptr},
           Case{kMachine, "Software\\Classes\\.txt", nullptr},
           Case{kMachine, "Software\\Wow6432Node\\Vendor", nullptr},
           Case{kMachine, "Softwares\\Vendor", nullptr},
           Case{kMachine, "SYSTEM\\CurrentControlSet\\Services", nullptr},
           Case{RootKey::CurrentUser, "Software\\Vendor", nullptr},
       }) {
    std::vector<std::string> expected{c.path};
    if (c.twin) expected.emplace_back(c.twin);
    EXPECT_EQ(platform::KeyInEveryView(registry(), c.root, c.path), expected) << c.path;
  }
}

TEST_F(Windows64Contract, ProgramFilesFoldersAreTheMachinesEveryOne) {
  const auto expect_folders = [this](std::size_t count) {
    const std::vector<std::string> folders = platform::ProgramFilesFolders(registry());
    ASSERT_EQ(folders.size(), count);
    for (const std::string& folder : folders) {
      EXPECT_FALSE(folder.ends_with('\\')) << folder;
      const auto stat = files().Stat(folder);
      EXPECT_TRUE(stat.ok() && stat.value.IsFolder()) << folder;
    }
    if (count == 2) {
      EXPECT_FALSE(SameText(folders[0], folders[1]));
    }
  };
  if (!backend().IsEmulated() && !registry().KeyExists(kMachine, "Software\\WOW6432Node"))
    expect_folders(1);
  SKIP_IF(backend().BecomeWindows64());
  expect_folders(2);
}

// As the values stand, without asking the disk; only where the test may set them.
TEST_F(Windows64Contract, ProgramFilesFoldersAreTheRegistrysValuesAsStored) {
  if (!backend().IsEmulated()) GTEST_SKIP() << "would change the machine's Program Files";
  struct Case {
    const char* native;  // ProgramFilesDir; nullptr: missing
    const char* x86;     // "ProgramFilesDir (x86)"
    std::vector<std::string> expected;
  };
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
  for (const Case& c : {
           Case{nullptr, nullptr, {}},
           Case{"D:\\Apps", nullptr, {"D:\\Apps"}},
           Case{"D:\\Apps", "D:\\Apps (x86)", {"D:\\Apps", "D:\\Apps (x86)"}},
           Case{"", "C:\\Program Files (x86)", {"C:\\Program Files (x86)"}},
           Case{"C:\\Program Files\\", "c:\\program files", {"C:\\Program Files\\"}},
       }) {
    (void)registry().DeleteTree(kMachine, key);
    for (const auto& [name, text] :
         {std::pair{"ProgramFilesDir", c.native}, std::pair{"ProgramFilesDir (x86)", c.x86}}) {
      if (text) {
        ASSERT_TRUE(
            registry().WriteValue(kMachine, key, platform::RegistryValue::MakeString(name, text)));
      }
    }
    EXPECT_EQ(platform::ProgramFilesFolders(registry()), c.expected)
        << (c.native ? c.native : "-") << " " << (c.x86 ? c.x86 : "-");
  }
}

// A 32-bit program on 64-bit Windows would be shown SysWOW64 under the name System32.
TEST_F(Windows64Contract, TheSystemFolderIsTheSystemsOwnAndSysWow64IsItsNeighbour) {
  SKIP_IF(backend().BecomeWindows64());
  const std::string name =
      "Morvel contract " +
      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
  const std::string system = backend().system().SystemFolder();
  const std::string native = system + "\\" + name;
  const std::string wow32 = backend().system().WindowsFolder() + "\\SysWOW64\\" + name;
  struct Removed {  // whatever the test leaves, through the port it tests
    platform::FileSystem& files;
    std::vector<std::string> folders;
    ~Removed() {
      for (const std::string& folder : folders) (void)files.ShellDelete(folder);
    }
  } removed{files(), {native, wow32}};
  ASSERT_TRUE(files().CreateFolder(native));
  ASSERT_TRUE(files().CreateFolder(wow32));
  ASSERT_TRUE(files().WriteFile(native + "\\native.log", "64"));
  ASSERT_TRUE(files().WriteFile(wow32 + "\\wow32.log", "32"));

  const auto names = [this](const std::string& folder) {
    std::vector<std::string> listed;
    (void)files().Enumerate(folder, [&](const platform::FileEntry& entry) {
      listed.push_back(entry.name);
      return true;
    });
    return listed;
  };
  EXPECT_EQ(names(native), std::vector<std::string>{"native.log"});
  EXPECT_EQ(names(wow32), std::vector<std::string>{"wow32.log"});
  EXPECT_EQ(files().ReadFile(native + "\\native.log").value, "64");
  for (const std::string& folder : {native, wow32}) {
    const auto real = files().FinalPath(folder);
    ASSERT_TRUE(real.ok()) << folder;
    EXPECT_TRUE(SameText(real.value, folder)) << real.value;
    auto held = files().OpenFolder(real.value);
    ASSERT_TRUE(held.ok()) << folder;
    EXPECT_EQ(held.value->Path(), real.value);
  }
  const auto stat = files().Stat(system);
  ASSERT_TRUE(stat.ok());
  EXPECT_TRUE(SameText(stat.value.name, system.substr(system.rfind('\\') + 1))) << stat.value.name;

  EXPECT_TRUE(files().ShellDelete(native + "\\native.log"));
  EXPECT_EQ(names(native), std::vector<std::string>{});
  EXPECT_EQ(names(wow32), std::vector<std::string>{"wow32.log"});
}

}  // namespace
}  // namespace morvel::contract
