// The command line as administrators script it, on the demo image: the run report of
// --report and of settings.ini's [Report] Path, the event an unattended run leaves in the
// image's event file, and what policies make of list and of a key they block.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "demo/image.h"
#include "platform/emulated/machine.h"
#include "tests/cli/image_run.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/json_reader.h"
#include "tests/unit/temp_image.h"
#include "tests/unit/text_shape.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;
using platform::RegistryValue;
using platform::RootKey;

class NoAnswers final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question& q) override { return q.default_answer; }
};

class AdminCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = temp_.path();
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
  }

  template <class Command>
  int Run(Command command) {
    return morvel::testing::RunOnImage(dir, answers_, out, err, command);
  }

  void SetPolicy(const std::string& key, const RegistryValue& value) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    ASSERT_TRUE(machine->registry().WriteValue(RootKey::LocalMachine, key, value).ok());
    machine->Save();
  }

  std::string Read(const fs::path& relative) {
    std::ifstream in(dir / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const fs::path& relative, const std::string& bytes) {
    fs::create_directories((dir / relative).parent_path());
    std::ofstream(dir / relative, std::ios::binary | std::ios::trunc) << bytes;
  }
  void AddToSettings(const std::string& lines) {
    const fs::path settings = "drives/C/Program Files/Morvel/settings.ini";
    Write(settings, Read(settings) + lines);
  }

  fs::path dir;
  ::morvel::testing::TempImage temp_{"admin"};
  std::ostringstream out, err;
  NoAnswers answers_;
};

const std::vector<std::string> kClipboard = {"Windows - Clipboard"};

TEST_F(AdminCommands, AnUnattendedCleanLeavesAnEventAndTheReportSettingsIniAsksFor) {
  AddToSettings("[Report]\r\nPath=C:\\Reports\\%COMPUTERNAME%-%DATE%.json\r\n");
  fs::create_directories(dir / "drives/C/Reports");
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) {
              return CleanCommand(p, kClipboard, true, io);
            }),
            0)
      << err.str();
  std::vector<fs::path> reports;
  for (const auto& e : fs::directory_iterator(dir / "drives/C/Reports"))
    reports.push_back(e.path());
  ASSERT_EQ(reports.size(), 1u);
  const std::string name = reports[0].filename().string();
  EXPECT_TRUE(morvel::testing::HasShape(name, "MORVEL-PC-9999-99-99.json")) << name;
  const morvel::testing::Json report =
      morvel::testing::Json::Parse(Read("drives/C/Reports/" + name));
  EXPECT_EQ(report["mode"].text(), "clean");
  EXPECT_EQ(report["user"].text(), "User");
  EXPECT_EQ(report["totals"]["left_items"].number(), 0);

  const std::string events = Read("stores/events.txt");
  ASSERT_TRUE(events.ends_with("\r\n")) << events;
  const std::vector<std::string> fields =
      morvel::testing::Fields(events.substr(0, events.size() - 2), '\t');
  ASSERT_EQ(fields.size(), 13u) << events;
  EXPECT_TRUE(morvel::testing::HasShape(fields[0], morvel::testing::kUtcTimeShape));
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 1, fields.begin() + 5),
            (std::vector<std::string>{"Information", "Morvel", "1000", "command line"}));
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 7, fields.end()),
            (std::vector<std::string>{"0", "0", "0", "0", "0", "C:\\Reports\\" + name}));

  // An interactive Clean and a Test leave no event and, without --report, no report.
  ASSERT_EQ(
      Run([](platform::Port& p, const Streams& io) { return TestCommand(p, kClipboard, io); }), 0);
  EXPECT_EQ(Read("stores/events.txt"), events);
}

TEST_F(AdminCommands, ReportFileOfATestAndAReportRefusedAtALink) {
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) {
              return TestCommand(p, kClipboard, io, std::string("C:\\test.csv"));
            }),
            0);
  EXPECT_EQ(Read("drives/C/test.csv")
                .rfind("Key,Removed items,Removed bytes,Left items,First reason\r\n", 0),
            0u);

  // A link planted where the report goes: what it leads to stays as it was.
  Write("drives/C/Users/User/Documents/thesis.txt", "the only copy");
  fs::create_symlink(dir / "drives/C/Users/User/Documents/thesis.txt", dir / "drives/C/run.json");
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) {
              return CleanCommand(p, kClipboard, true, io, std::string("C:\\run.json"));
            }),
            1);
  EXPECT_EQ(err.str(),
            "morvel: the report was not written: C:\\run.json is a link, which is never written "
            "through\n");
  EXPECT_EQ(Read("drives/C/Users/User/Documents/thesis.txt"), "the only copy");
  // The event names why there is no report.
  EXPECT_NE(Read("stores/events.txt").find("\tnot written (C:\\run.json is a link"),
            std::string::npos);
}

TEST_F(AdminCommands, PoliciesShowInListAndABlockedKeyIsRefused) {
  SetPolicy("Software\\Policies\\Morvel", RegistryValue::MakeDword("FastScan", 1));
  SetPolicy("Software\\Policies\\Morvel\\BlockedItems",
            RegistryValue::MakeString("1", "Windows - Clipboard"));
  SetPolicy("Software\\Policies\\Morvel\\TickedItems",
            RegistryValue::MakeString("1", "Windows - Start Run"));
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return ListCommand(p, io); }), 0);
  const std::string list = out.str();
  EXPECT_NE(list.find("  [ ] Clipboard (set by policy)\n"), std::string::npos) << list;
  EXPECT_NE(list.find("  [x] Start Run (set by policy)\n"), std::string::npos) << list;
  EXPECT_NE(list.find("  [x] Temporary Files\n"), std::string::npos) << list;
  EXPECT_TRUE(list.ends_with("\n  [x] <New List>\nFast Mode: on (set by policy)\n")) << list;

  const auto before = morvel::testing::Snapshot(dir);
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) {
              return CleanCommand(p, kClipboard, true, io);
            }),
            2);
  EXPECT_EQ(err.str(), "morvel: Windows - Clipboard may not be cleaned (set by policy)\n");
  EXPECT_EQ(morvel::testing::Snapshot(dir), before);
}

TEST(AdminArguments, ReportGoesWithTestAndCleanAndNamesJsonOrCsv) {
  EXPECT_EQ(ParseArguments({"--report", "C:\\r.json", "clean", "--unattended"}).report,
            "C:\\r.json");
  EXPECT_EQ(ParseArguments({"test", "--report=x.CSV"}).report, "x.CSV");
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"test", "--report"},
                                              {"--report=", "test"},
                                              {"--report", "r.txt", "test"},
                                              {"--report", "r.json", "list"}})
    EXPECT_THROW(ParseArguments(bad), UsageError) << bad[0] << " " << bad[1];
}

}  // namespace
}  // namespace morvel::cli
