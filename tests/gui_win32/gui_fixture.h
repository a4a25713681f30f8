#pragma once
// A scratch program folder in the prefix: morvel.exe and Morvel.dat, a custom list of
// three temp files and a registry value, and a settings.ini that ticks it.

#include <gtest/gtest.h>

#include "tests/gui_win32/screen_dpi.h"
#include "tests/gui_win32/window_driver.h"

namespace morvel::testing::gui {

class GuiWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
    fs::copy_file(BuildFolder() / "morvel.exe", kFolder / "morvel.exe");
    fs::copy_file(BuildFolder() / "Morvel.dat", kFolder / "Morvel.dat");
    WriteFile(kFolder / "Clist.dat",
              "[<New List>]\r\nDelFile1=C:\\morvel-gui-test\\traces,*.tmp\r\n"
              "DelRegValue1=HKEY_CURRENT_USER\\Software\\Morvel GUI Test,Last Search\r\n");
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "keep.txt"})
      WriteFile(kTraces / name, "trace");
    for (const wchar_t* value : {L"Last Search", L"Theme"})
      RegSetKeyValueW(HKEY_CURRENT_USER, kTraceKey, value, REG_SZ, L"x", 2 * sizeof(wchar_t));
    Settings("");
    // The pointer stays off the window: what is drawn is drawn without it passing over.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  void TearDown() override {
    fs::remove_all(kFolder);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTraceKey);
  }
  static bool HasValue(const wchar_t* value) {
    return RegGetValueW(HKEY_CURRENT_USER, kTraceKey, value, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
  }
  static void Settings(const std::string& extra, bool ask = true) {
    WriteFile(kFolder / "settings.ini", std::string("[Settings]\r\nAskForSweep=") +
                                            (ask ? "1" : "0") +
                                            "\r\nFastScan=0\r\n[NodeSelected]\r\n1=Custom Lists\r\n"
                                            "2=Custom Lists - <New List>\r\nSelectedCount=2\r\n" +
                                            extra);
  }
  // The started program's main window once it has drawn itself; null (and a failure)
  // when it does not come.
  static HWND Shown(const Program& program) {
    HWND main = program.Window();
    EXPECT_NE(main, nullptr);
    if (main == nullptr) return nullptr;
    EXPECT_TRUE(WaitFor([&] { return Painted(main); }));
    return main;
  }
  static int TraceCount() {
    int n = 0;
    for (const auto& e : fs::directory_iterator(kTraces)) n += e.path().extension() == ".tmp";
    return n;
  }
};

}  // namespace morvel::testing::gui
