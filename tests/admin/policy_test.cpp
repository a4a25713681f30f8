// Group Policy on both machines: values an administrator puts under Software\Policies\Morvel
// of either hive, and what the program then holds over settings.ini, and writes back to it.
#include <gtest/gtest.h>

#include "app/program_state.h"
#include "common/ini_file.h"
#include "tests/harness/two_backend_test.h"

namespace morvel::testing {
namespace {

using platform::RegistryValue;
using platform::RootKey;

constexpr const char* kSettings =
    "[Settings]\r\nFastScan=0\r\nOverwriteFile=0\r\nOverwriteNumber=4\r\n"
    "[SChedule]\r\nAutoWash=0\r\nWashInterval=3\r\nStartWash=0\r\nShutdownWash=1\r\n"
    "[Report]\r\nPath=C:\\Reports\\mine.json\r\n"
    "[NodeSelected]\r\n1=Windows\r\n2=Windows - Temporary Files\r\nSelectedCount=2\r\n";

// A value written below Software\Policies\Morvel (or its sub-key `list`) of a hive.
struct Put {
  RootKey root;
  std::string list;  // "" for the key itself, else TickedItems or BlockedItems
  RegistryValue value;
};
Put ForMachine(std::string name, std::uint32_t number) {
  return {RootKey::LocalMachine, "", RegistryValue::MakeDword(std::move(name), number)};
}
Put ForUser(std::string name, std::uint32_t number) {
  return {RootKey::CurrentUser, "", RegistryValue::MakeDword(std::move(name), number)};
}
Put UserText(std::string name, std::string text) {
  return {RootKey::CurrentUser, "", RegistryValue::MakeString(std::move(name), text)};
}
Put Listed(RootKey root, std::string list, std::string key) {
  return {root, std::move(list), RegistryValue::MakeString("1", key)};
}

// What the program holds for one setting once loaded: the value as text, and whether a
// policy sets it.
struct Held {
  std::string value;
  bool by_policy;
  bool operator==(const Held&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Held& h) {
  return out << h.value << (h.by_policy ? " (policy)" : " (settings.ini)");
}

Held What(const app::ProgramState& s, std::string_view what) {
  const app::Policy& p = s.policy;
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  using S = app::PolicySetting;
  if (what == "FastScan") return {flag(s.options.FastScan), p.Holds(S::FastScan)};
  if (what == "AutoWash") return {flag(s.options.AutoWash), p.Holds(S::AutoWash)};
  if (what == "WashInterval")
    return {std::to_string(s.options.WashInterval), p.Holds(S::WashInterval)};
  if (what == "StartWash") return {flag(s.options.StartWash), p.Holds(S::StartWash)};
  if (what == "ShutdownWash") return {flag(s.options.ShutdownWash), p.Holds(S::ShutdownWash)};
  if (what == "OverwriteFile") return {flag(s.options.OverwriteFile), p.Holds(S::OverwriteFile)};
  if (what == "OverwriteNumber")
    return {std::to_string(s.options.OverwriteNumber.get()), p.Holds(S::OverwriteNumber)};
  if (what == "ReportPath") return {s.report_path, p.report_path.has_value()};
  // An item key: its tick.
  const auto node = s.catalogue.FindByKey(what);
  if (!node) return {"no such item", false};
  return {flag(s.catalogue.StateOf(*node) == kTicked), p.HoldsItem(what)};
}

struct PolicyCase {
  const char* name;
  std::vector<Put> puts;
  const char* what;
  Held expected;
};

class PolicyTest : public TwoBackendTest {
 protected:
  const MachineSetup& Machine() const override {
    static const MachineSetup setup = [] {
      MachineSetup s;
      s.scratch = "Morvel Policy";
      return s;
    }();
    return setup;
  }
  void SetUp() override {
    TwoBackendTest::SetUp();
    if (!machine().IsThrowawayMachine()) GTEST_SKIP() << "policies are set on a throwaway machine";
    system().program_folder = Path() + "\\";
    ClearPolicies();
    WriteAt(Path("settings.ini"), kSettings);
  }
  void TearDown() override {
    if (machine().IsThrowawayMachine()) ClearPolicies();
    TwoBackendTest::TearDown();
  }
  void ClearPolicies() {
    for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser})
      (void)registry().DeleteTree(root, std::string(app::kPolicyKey));
  }
  void Apply(const std::vector<Put>& puts) {
    for (const Put& put : puts) {
      const std::string key =
          std::string(app::kPolicyKey) + (put.list.empty() ? "" : "\\" + put.list);
      ASSERT_TRUE(registry().WriteValue(put.root, key, put.value).ok()) << key;
    }
  }
};

class PolicyTable : public PolicyTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(PolicyTable, APolicyValueWinsOverSettingsIni) {
  const PolicyCase& c = GetParam();
  Apply(c.puts);
  platform::Port port = Port();
  const app::ProgramState state = app::LoadProgramState(port);
  EXPECT_EQ(What(state, c.what), c.expected);
}

using app::kBlockedItemsKey, app::kTickedItemsKey;
const std::string kTicked(kTickedItemsKey), kBlocked(kBlockedItemsKey);

INSTANTIATE_TEST_SUITE_P(
    Admin, PolicyTable,
    ::testing::Values(
        PolicyCase{"NoPolicy", {}, "FastScan", {"0", false}},
        PolicyCase{"UserPolicy", {ForUser("FastScan", 1)}, "FastScan", {"1", true}},
        PolicyCase{"MachineWinsOverUser",
                   {ForMachine("FastScan", 0), ForUser("FastScan", 1)},
                   "FastScan",
                   {"0", true}},
        PolicyCase{"AnyNumberButZeroIsOn", {ForMachine("AutoWash", 7)}, "AutoWash", {"1", true}},
        // A string where a DWORD belongs is no policy (a hand-edited registry).
        PolicyCase{"WrongTypeIsNoPolicy", {UserText("FastScan", "1")}, "FastScan", {"0", false}},
        PolicyCase{"WrongTypeOnTheMachineLeavesTheUsers",
                   {{RootKey::LocalMachine, "", RegistryValue::MakeString("FastScan", "0")},
                    ForUser("FastScan", 1)},
                   "FastScan",
                   {"1", true}},
        PolicyCase{"Interval", {ForUser("WashInterval", 2)}, "WashInterval", {"2", true}},
        PolicyCase{"IntervalOutOfRangeIsFifteenMinutes",
                   {ForUser("WashInterval", 9)},
                   "WashInterval",
                   {"0", true}},
        PolicyCase{"StartWash", {ForMachine("StartWash", 1)}, "StartWash", {"1", true}},
        PolicyCase{"ShutdownWash", {ForMachine("ShutdownWash", 0)}, "ShutdownWash", {"0", true}},
        PolicyCase{"Overwrite", {ForUser("OverwriteFile", 1)}, "OverwriteFile", {"1", true}},
        PolicyCase{"Passes", {ForUser("OverwriteNumber", 7)}, "OverwriteNumber", {"7", true}},
        PolicyCase{"PassesOutOfRangeAreOne",
                   {ForUser("OverwriteNumber", 11)},
                   "OverwriteNumber",
                   {"1", true}},
        PolicyCase{"PassesFromSettingsIni", {}, "OverwriteNumber", {"4", false}},
        PolicyCase{"ReportPath",
                   {UserText("ReportPath", "\\\\srv\\r\\%COMPUTERNAME%.csv")},
                   "ReportPath",
                   {"\\\\srv\\r\\%COMPUTERNAME%.csv", true}},
        PolicyCase{
            "ReportPathFromSettingsIni", {}, "ReportPath", {"C:\\Reports\\mine.json", false}},
        PolicyCase{"TickedItem",
                   {Listed(RootKey::CurrentUser, kTicked, "Windows - Clipboard")},
                   "Windows - Clipboard",
                   {"1", true}},
        PolicyCase{"TickedItemTicksItsCategory",
                   {Listed(RootKey::LocalMachine, kTicked, "Advanced - Paint")},
                   "Advanced",
                   {"1", false}},
        PolicyCase{"BlockedItem",
                   {Listed(RootKey::LocalMachine, kBlocked, "Windows - Temporary Files")},
                   "Windows - Temporary Files",
                   {"0", true}},
        PolicyCase{"BlockedOverTicked",
                   {Listed(RootKey::CurrentUser, kTicked, "Windows - Clipboard"),
                    Listed(RootKey::CurrentUser, kBlocked, "Windows - Clipboard")},
                   "Windows - Clipboard",
                   {"0", true}},
        PolicyCase{"MachineListWinsOverUserList",
                   {Listed(RootKey::LocalMachine, kTicked, "Windows - Clipboard"),
                    Listed(RootKey::CurrentUser, kTicked, "Windows - Start Run")},
                   "Windows - Start Run",
                   {"0", false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PolicyTest, SettingsIniKeepsTheUsersOwnChoiceForWhatAPolicyHolds) {
  Apply({ForMachine("FastScan", 1), ForMachine("AutoWash", 1), ForMachine("WashInterval", 1),
         ForUser("StartWash", 1), ForUser("ShutdownWash", 0), ForUser("OverwriteFile", 1),
         ForUser("OverwriteNumber", 9),
         Listed(RootKey::CurrentUser, kTicked, "Windows - Clipboard"),
         Listed(RootKey::LocalMachine, kBlocked, "Windows - Temporary Files")});
  platform::Port port = Port();
  const app::ProgramState state = app::LoadProgramState(port);
  ASSERT_TRUE(state.options.FastScan);
  app::SaveProgramState(port, state, {});
  const IniDocument saved = IniDocument::Parse(files().ReadFile(Path("settings.ini")).value);
  const IniDocument before = IniDocument::Parse(kSettings);
  for (const auto& [section, key] : {std::pair{"Settings", "FastScan"},
                                     {"Settings", "OverwriteFile"},
                                     {"Settings", "OverwriteNumber"},
                                     {"SChedule", "AutoWash"},
                                     {"SChedule", "WashInterval"},
                                     {"SChedule", "StartWash"},
                                     {"SChedule", "ShutdownWash"},
                                     {"Report", "Path"}})
    EXPECT_EQ(saved.Read(section, key), before.Read(section, key)) << key;
  EXPECT_EQ(saved.NumberedValues("NodeSelected", 1, 10),
            (std::vector<std::string>{"Windows", "Windows - Temporary Files"}));
}

}  // namespace
}  // namespace morvel::testing
