// The community's definitions in the real window under Wine: the shipped Winapp2.ini beside
// morvel.exe in the private prefix, and two programs of today made in the prefix's own
// application data (Discord, found by its uninstall key; Spotify, by its folder). The
// window offers each in its category, and a Clean of the two removes exactly the files
// their entries name: what the programs keep that is no trace, and what an entry's own
// exclusion keeps, stay.
#include <shlobj.h>

#include "tests/gui_win32/gui_fixture.h"

namespace morvel::testing::gui {
namespace {

constexpr wchar_t kDiscordUninstall[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Discord";

fs::path ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_EQ(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
  return path;
}

class GuiCommunity : public GuiWindow {
 protected:
  void SetUp() override {
    GuiWindow::SetUp();
    // Written anew rather than copied: a copy keeps the source's read-only mark.
    WriteFile(kFolder / "Winapp2.ini", ReadFile(BuildFolder() / "Winapp2.ini"));
    RegSetKeyValueW(HKEY_CURRENT_USER, kDiscordUninstall, L"DisplayName", REG_SZ, L"Discord",
                    8 * sizeof(wchar_t));
    for (const fs::path& file : Traces()) WriteFile(file, "trace");
    for (const fs::path& file : Kept()) WriteFile(file, "kept");
    WriteFile(kFolder / "settings.ini",
              "[Settings]\r\nAskForSweep=0\r\nFastScan=0\r\n[NodeSelected]\r\n1=Internet\r\n"
              "2=Internet - Discord\r\n3=Multimedia\r\n4=Multimedia - Spotify\r\n"
              "SelectedCount=4\r\n");
  }
  void TearDown() override {
    for (const fs::path& folder : {roaming_ / "discord", roaming_ / "Spotify", local_ / "Spotify"})
      fs::remove_all(folder);
    RegDeleteTreeW(HKEY_CURRENT_USER, kDiscordUninstall);
    GuiWindow::TearDown();
  }

  // What the two entries name.
  std::vector<fs::path> Traces() const {
    return {roaming_ / "discord" / "Cache" / "Cache_Data" / "f_000001",
            roaming_ / "discord" / "logs" / "renderer_js.log", roaming_ / "Spotify" / "Spotify.log",
            local_ / "Spotify" / "Data" / "ab" / "abcdef.file"};
  }
  // What they keep: settings, and the offline songs the Spotify entry excludes.
  std::vector<fs::path> Kept() const {
    return {roaming_ / "discord" / "settings.json", roaming_ / "Spotify" / "prefs",
            local_ / "Spotify" / "Storage" / "4f" / "offline-song.file"};
  }

  const fs::path roaming_ = ShellFolder(CSIDL_APPDATA);
  const fs::path local_ = ShellFolder(CSIDL_LOCAL_APPDATA);
};

TEST_F(GuiCommunity, OffersDetectedProgramsAndCleansExactlyTheirFiles) {
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  HWND tree = GetDlgItem(main, IDC_TREE);
  for (const wchar_t* label : {L"Internet", L"Discord", L"Multimedia", L"Spotify"})
    EXPECT_TRUE(TreeItemLabel(tree, label).has_value()) << fs::path(label).string();
  Settle(main);
  Screen().Save(BuildFolder().parent_path() / "morvel-community.bmp");

  Click(main, IDC_CLEAN);
  ASSERT_TRUE(WaitFor([&] {
    return Finished(main) && HasLineStarting(LogOf(main), L"Total items to be removed = ");
  }));
  const auto log = LogOf(main);
  EXPECT_TRUE(Contains(log, L"Clean: Clearing Internet - Discord ..."));
  EXPECT_TRUE(Contains(log, L"Clean: Clearing Multimedia - Spotify ..."));
  EXPECT_TRUE(HasLineStarting(log, L"Total items to be removed = 4 ; "));
  for (const fs::path& file : Traces()) EXPECT_FALSE(fs::exists(file)) << file;
  for (const fs::path& file : Kept()) EXPECT_TRUE(fs::exists(file)) << file;
  // REMOVESELF took the emptied cache folder itself.
  EXPECT_FALSE(fs::exists(roaming_ / "discord" / "Cache"));
}

}  // namespace
}  // namespace morvel::testing::gui
