// System facts and the window system, the same on every backend.

#include <cstdint>
#include <string>

#include "common/text.h"
#include "common/windows_names.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using SystemContract = PortContract;

TEST_F(SystemContract, ExecutableFolderIsAnAbsoluteFolderWithATrailingBackslash) {
  const std::string folder = backend().system().ExecutableFolder();
  ASSERT_GE(folder.size(), 3u) << folder;
  EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
  EXPECT_EQ(folder.back(), '\\') << folder;
  EXPECT_EQ(folder.find("\\\\"), std::string::npos) << folder;
}

TEST_F(SystemContract, VersionIsTheMachines) {
  const platform::WindowsVersion version = backend().system().Version();
  if (const auto expected = backend().ExpectedVersion()) {
    EXPECT_EQ(version.family, expected->family);
    EXPECT_EQ(version.major, expected->major);
    EXPECT_EQ(version.minor, expected->minor);
  } else {
    // Every Windows this program runs on under test is NT, 2000 or later.
    EXPECT_EQ(version.family, platform::WindowsFamily::Nt);
    EXPECT_GE(version.major, 5u);
  }
}

TEST_F(SystemContract, TopLevelWindowsAreFoundByClassWithoutRegardToCase) {
  // Unique enough that no other program's window has this class.
  const std::string name =
      "MorvelContractWindow_" + std::to_string(reinterpret_cast<std::uintptr_t>(&backend()));
  EXPECT_FALSE(backend().windows().TopLevelWindowExists(name));
  SKIP_IF(backend().OpenWindow(name));
  EXPECT_TRUE(backend().windows().TopLevelWindowExists(name));
  EXPECT_TRUE(backend().windows().TopLevelWindowExists(UpperCase(name)));
  EXPECT_FALSE(backend().windows().TopLevelWindowExists(name + "X"));
  EXPECT_FALSE(backend().windows().TopLevelWindowExists(""));
}

TEST_F(SystemContract, WindowsAndSpecialFoldersAreExistingFoldersWithoutATrailingBackslash) {
  struct Case {
    const char* what;
    std::string path;
  };
  platform::SystemInfo& system = backend().system();
  system.EndBrowserSession();  // nothing to see; it must merely not disturb the lookups
  for (const Case& c :
       {Case{"Windows", system.WindowsFolder()},
        Case{"Personal", system.SpecialFolderPath(platform::SpecialFolder::Personal)},
        Case{"AppData", system.SpecialFolderPath(platform::SpecialFolder::AppData)},
        Case{"InternetCache", system.SpecialFolderPath(platform::SpecialFolder::InternetCache)}}) {
    ASSERT_GE(c.path.size(), 4u) << c.what << ": " << c.path;
    EXPECT_EQ(c.path.substr(1, 2), ":\\") << c.what << ": " << c.path;
    EXPECT_NE(c.path.back(), '\\') << c.what << ": " << c.path;
    const auto stat = files().Stat(c.path);
    ASSERT_TRUE(stat.ok()) << c.what << ": " << c.path;
    EXPECT_TRUE(stat.value.IsFolder()) << c.what << ": " << c.path;
  }
}

// The folders programs of today name in their settings, as every program's environment
// names them: where they lie to one another, and the user whose profile holds them.
TEST_F(SystemContract, TheFoldersOfProgramsOfTodayLieWhereWindowsKeepsThem) {
  using platform::SpecialFolder;
  platform::SystemInfo& system = backend().system();
  const auto folder = [&system](SpecialFolder which) {
    const std::string path = system.SpecialFolderPath(which);
    EXPECT_GE(path.size(), 4u) << static_cast<int>(which) << ": " << path;
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_NE(path.back(), '\\') << path;
    return path;
  };
  const auto parent = [](const std::string& path) { return path.substr(0, path.rfind('\\')); };
  const std::string profile = folder(SpecialFolder::Profile);
  const std::string local = folder(SpecialFolder::LocalAppData);
  for (SpecialFolder below : {SpecialFolder::LocalAppData, SpecialFolder::Music,
                              SpecialFolder::Pictures, SpecialFolder::Videos})
    EXPECT_TRUE(IsSameOrBelow(folder(below), profile)) << static_cast<int>(below);
  // LocalLow beside Local, in the same AppData folder.
  EXPECT_TRUE(SameText(parent(folder(SpecialFolder::LocalLowAppData)), parent(local)));
  EXPECT_FALSE(SameText(folder(SpecialFolder::LocalLowAppData), local));
  // The machine's own folders lie outside every user's profile.
  for (SpecialFolder machine_wide : {SpecialFolder::CommonAppData, SpecialFolder::Public})
    EXPECT_FALSE(IsSameOrBelow(folder(machine_wide), profile)) << static_cast<int>(machine_wide);
  const std::string user = system.UserName();
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(user.find_first_of("\\/:*?\"<>|"), std::string::npos) << user;
}

// Wine's prefixes and the default machine image both run the program as an administrator.
TEST_F(SystemContract, TheTestMachineRunsAsAdministrator) {
  EXPECT_TRUE(backend().system().IsAdministrator());
}

}  // namespace
}  // namespace morvel::contract
