// What administrators rely on in the real morvel.exe under Wine. What a policy sets: the
// Fast Mode box and the Settings dialog's controls disabled as set, each with a hint over it
// that says so; a ticked item that a click leaves ticked; settings.ini keeps the user's own
// values. A clean-once start writes its report where settings.ini says, and the report
// names the trace another program holds, which the verify pass found in use.
#include <memory>

#include "app/policy.h"
#include "tests/gui_win32/gui_fixture.h"
#include "tests/unit/json_reader.h"

namespace morvel::testing::gui {
namespace {

const std::wstring kPolicyKey = Wide(app::kPolicyKey);

void SetPolicy(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKey.c_str(), name, REG_DWORD, &value, sizeof value);
}

// Whether `owner` has a hint over the control `id` that says a policy sets it.
bool SaysSetByPolicy(HWND owner, int id) {
  RECT place{};
  GetWindowRect(GetDlgItem(owner, id), &place);
  MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&place), 2);
  for (const Hint& hint : HintsOf(owner))
    if (EqualRect(&hint.rect, &place) && hint.text == Wide(app::kSetByPolicyTip)) return true;
  return false;
}

class PolicyWindow : public GuiWindow {
 protected:
  void SetUp() override {
    GuiWindow::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey.c_str());
    SetPolicy(L"FastScan", 1);
    SetPolicy(L"AutoWash", 1);
    SetPolicy(L"WashInterval", 2);
    const std::wstring clipboard = L"Windows - Clipboard";
    RegSetKeyValueW(HKEY_CURRENT_USER, (kPolicyKey + L"\\TickedItems").c_str(), L"1", REG_SZ,
                    clipboard.c_str(), static_cast<DWORD>((clipboard.size() + 1) * 2));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey.c_str());
    GuiWindow::TearDown();
  }
};

TEST_F(PolicyWindow, WhatAPolicySetsIsDisabledWithAHintAndStaysAsSet) {
  Program program;
  HWND main = Shown(program);
  ASSERT_NE(main, nullptr);
  HWND fast = GetDlgItem(main, IDC_FASTMODE);
  EXPECT_FALSE(IsWindowEnabled(fast));
  EXPECT_EQ(SendMessageW(fast, BM_GETCHECK, 0, 0), BST_CHECKED) << "settings.ini says off";
  EXPECT_TRUE(SaysSetByPolicy(main, IDC_FASTMODE));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_TEST)));

  // The ticked item's box: a click on it leaves it ticked.
  HWND tree = GetDlgItem(main, IDC_TREE);
  EXPECT_EQ(TreeItemStateImage(tree, L"Clipboard"), 2);
  const auto label = TreeItemLabel(tree, L"Clipboard");
  ASSERT_TRUE(label);
  // The state image stands just left of the label.
  ClickAt({label->left - 8, (label->top + label->bottom) / 2});
  Settle(main);
  EXPECT_EQ(TreeItemStateImage(tree, L"Clipboard"), 2);

  Click(main, ID_ACTION_SETTINGS);
  HWND dialog = WaitForDialog("Settings");
  ASSERT_NE(dialog, nullptr);
  for (int id : {IDC_OPT_FASTSCAN, IDC_OPT_AUTOWASH, IDC_OPT_INTERVAL0 + 2}) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0), BST_CHECKED) << id;
    EXPECT_TRUE(SaysSetByPolicy(dialog, id)) << id;
  }
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_INTERVAL0)));
  for (int id : {IDC_OPT_LOGTIF, IDC_OPT_WIPEFILE, IDC_OPT_STARTWASH, IDC_OPT_SHUTDOWNWASH}) {
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    EXPECT_FALSE(SaysSetByPolicy(dialog, id)) << id;
  }
  ExpectWholeAndShoot(dialog, "settings-policy");
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog, 10s));
  Settle(main);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.Ended(20000));
  // The user's own choices stay in settings.ini for when the policy goes.
  const std::string saved = ReadFile(kFolder / "settings.ini");
  EXPECT_NE(saved.find("FastScan=0"), std::string::npos) << saved;
  EXPECT_NE(saved.find("AutoWash=0"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("Windows - Clipboard"), std::string::npos) << saved;
}

TEST_F(GuiWindow, CleanOnceWritesItsReportWhereSettingsIniSays) {
  Settings("[Report]\r\nPath=C:\\morvel-gui-test\\%COMPUTERNAME%.json\r\n", false);
  // This process holds one trace open, sharing nothing, as a program working on it would.
  const std::unique_ptr<void, decltype(&CloseHandle)> held(
      CreateFileW((kTraces / "c.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      &CloseHandle);
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  Program program(L"-cleanonce");
  EXPECT_TRUE(program.Ended(30000));
  EXPECT_EQ(TraceCount(), 1);
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &length));
  const fs::path report = kFolder / (std::wstring(computer) + L".json");
  ASSERT_TRUE(fs::exists(report)) << report;
  const Json json = Json::Parse(ReadFile(report));
  EXPECT_EQ(json["mode"].text(), "clean");
  EXPECT_EQ(Wide(json["computer"].text()), computer);
  EXPECT_EQ(json["totals"]["removed_items"].number(), 3) << "two traces and the value";
  ASSERT_EQ(json["totals"]["left_items"].number(), 1);
  const Json& left = json["items"][0]["left"][0];
  EXPECT_EQ(left["path"].text(), "C:\\morvel-gui-test\\traces\\c.tmp");
  EXPECT_EQ(left["reason"].text(), "in use");
}

}  // namespace
}  // namespace morvel::testing::gui
