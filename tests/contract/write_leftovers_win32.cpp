// Windows only: the temporaries that whole-file writes killed halfway leave behind are
// removed at the next start, and nothing else is. (The machine image has its own journal,
// tested with the emulated files.)
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "platform/win32/win32_write_leftovers.h"
#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using WriteLeftovers = PortContract;

TEST_F(WriteLeftovers, OnlyTemporariesOfEndedProcessesGo) {
  // No process has this number: Windows numbers processes by fours.
  const std::string ended = "~mv4294967293-7.tmp";
  const std::string ours = "~mv" + std::to_string(GetCurrentProcessId()) + "-7.tmp";
  const std::string stays[] = {ours, "~mv4294967293.tmp", "~mvx-7.tmp", "~mv4294967293-7.tmp.bak",
                               "settings.ini"};
  ASSERT_TRUE(files().WriteFile(Path(ended), "half").ok());
  for (const std::string& name : stays) ASSERT_TRUE(files().WriteFile(Path(name), "x").ok());
  ASSERT_TRUE(files().CreateFolder(Path("~mv4294967293-8.tmp")).ok());

  platform::win32::RemoveWriteLeftovers(Path());
  EXPECT_FALSE(files().Exists(Path(ended)));
  for (const std::string& name : stays) EXPECT_TRUE(files().Exists(Path(name))) << name;
  EXPECT_TRUE(files().Exists(Path("~mv4294967293-8.tmp")));

  // A whole-file write leaves none of its own behind.
  ASSERT_TRUE(files().WriteFile(Path("settings.ini"), "new").ok());
  std::size_t temporaries = 0;
  (void)files().Enumerate(Path(), [&](const platform::FileEntry& entry) {
    temporaries += entry.name.starts_with("~mv" + std::to_string(GetCurrentProcessId()) + "-") &&
                   entry.name != ours;
    return true;
  });
  EXPECT_EQ(temporaries, 0u);
}

}  // namespace
}  // namespace morvel::contract

#endif
