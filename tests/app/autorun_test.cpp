// Starting with Windows: the log-on task's definition, and what the settings dialog's box
// reads and leaves behind, from an older install's Run value to the task and back, on
// Windows with a Task Scheduler and without.
#include "app/autorun.h"

#include <gtest/gtest.h>

#include "tests/app/controller_rig.h"

namespace morvel::testing {
namespace {

constexpr const char* kProgram = "C:\\Program Files\\Morvel\\morvel.exe";
const std::pair<std::string, std::string> kRunEntry{std::string(app::kRunKey), "Morvel"};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Autorun, TheTaskStartsTheProgramElevatedAtTheUsersLogOn) {
  const std::string xml = app::LogonTaskXml(kProgram, "PC\\Ann & Bob");
  EXPECT_TRUE(
      xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Task version=\"1.2\" "
                      "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"))
      << xml;
  for (const char* part :
       {"<LogonTrigger>\n      <Enabled>true</Enabled>\n      <UserId>PC\\Ann &amp; Bob</UserId>\n"
        "    </LogonTrigger>",
        "<Principal id=\"Author\">\n      <UserId>PC\\Ann &amp; Bob</UserId>\n      "
        "<LogonType>InteractiveToken</LogonType>\n      <RunLevel>HighestAvailable</RunLevel>",
        "<Actions Context=\"Author\">\n    <Exec>\n      <Command>\"C:\\Program "
        "Files\\Morvel\\morvel.exe\"</Command>\n      <Arguments>-Start</Arguments>",
        "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
        "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"})
    EXPECT_TRUE(Has(xml, part)) << part;
  EXPECT_TRUE(xml.ends_with("</Task>\n"));
  // Quotes only where the path needs them; a name the markup would misread is escaped.
  EXPECT_TRUE(Has(app::LogonTaskXml("D:\\Tools\\morvel.exe", "u"),
                  "<Command>D:\\Tools\\morvel.exe</Command>"));
  EXPECT_TRUE(Has(app::LogonTaskXml("D:\\R&D <1>\\morvel.exe", "u"),
                  "<Command>\"D:\\R&amp;D &lt;1&gt;\\morvel.exe\"</Command>"));
  EXPECT_EQ(app::RunValueData(kProgram), "\"C:\\Program Files\\Morvel\\morvel.exe\" -Start");
}

struct MigrationCase {
  const char* name;
  bool scheduler;
  bool task_before;
  std::optional<std::string> run_before;
  bool was_on;  // what the box shows
  bool on;      // what OK sets
  bool task_after;
  std::optional<std::string> run_after;
  std::optional<std::string> message;
  bool deny = false;  // the scheduler and the registry refuse changes
};

class Migration : public ::testing::TestWithParam<MigrationCase> {};

TEST_P(Migration, ReadsAndLeavesTheTaskAndTheRunValue) {
  const MigrationCase& c = GetParam();
  RigRegistry registry;
  KeptTasks tasks;
  tasks.available = c.scheduler;
  if (c.task_before) tasks.tasks["Morvel"] = "<Task/>";
  if (c.run_before)
    registry.values[kRunEntry] = platform::RegistryValue::MakeString("Morvel", *c.run_before);
  tasks.deny = registry.deny = c.deny;
  app::Autorun autorun(registry, tasks);
  EXPECT_EQ(autorun.IsOn(), c.was_on);
  EXPECT_EQ(autorun.Set(c.on, kProgram), c.message);
  EXPECT_EQ(tasks.tasks.contains("Morvel"), c.task_after);
  if (c.task_after && !c.task_before) {
    EXPECT_EQ(tasks.tasks["Morvel"], app::LogonTaskXml(kProgram, "PC\\User"));
  }
  const auto run = registry.values.find(kRunEntry);
  EXPECT_EQ(run == registry.values.end() ? std::nullopt : run->second.AsText(), c.run_after);
  EXPECT_EQ(autorun.IsOn(), c.message ? c.was_on : c.on);
}

const std::string kOldValue = "C:\\Program Files\\Morvel\\morvel.exe -Start";
const std::string kQuoted = "\"C:\\Program Files\\Morvel\\morvel.exe\" -Start";

INSTANTIATE_TEST_SUITE_P(
    Autorun, Migration,
    ::testing::Values(
        MigrationCase{"OlderRunValueMovesToTheTask", true, false, kOldValue, true, true, true,
                      std::nullopt, std::nullopt},
        MigrationCase{"OffRemovesTaskAndRunValue", true, true, kOldValue, true, false, false,
                      std::nullopt, std::nullopt},
        MigrationCase{"OffWithNothingThere", true, false, std::nullopt, false, false, false,
                      std::nullopt, std::nullopt},
        MigrationCase{"ARunValueWithoutTheSwitchIsNotAutorun", true, false, "C:\\x.exe", false,
                      true, true, std::nullopt, std::nullopt},
        MigrationCase{"ARefusedTaskKeepsTheOlderValue", true, false, kOldValue, true, true, false,
                      kOldValue,
                      "Morvel could not be set to run when the computer starts: the Task "
                      "Scheduler refused the change (access denied).",
                      true},
        MigrationCase{"ARefusedRemovalIsTold", true, true, std::nullopt, true, false, true,
                      std::nullopt,
                      "Morvel could not be kept from running when the computer starts: the "
                      "Task Scheduler refused the change (access denied).",
                      true},
        MigrationCase{"WithoutASchedulerTheValueIsQuoted", false, false, std::nullopt, false, true,
                      false, kQuoted, std::nullopt},
        MigrationCase{"WithoutASchedulerAnOlderValueIsQuotedAgain", false, false, kOldValue, true,
                      true, false, kQuoted, std::nullopt},
        MigrationCase{"WithoutASchedulerOffRemovesTheValue", false, false, kQuoted, true, false,
                      false, std::nullopt, std::nullopt},
        MigrationCase{"WithoutASchedulerARefusedValueIsTold", false, false, std::nullopt, false,
                      true, false, std::nullopt,
                      "Morvel could not be set to run when the computer starts: the registry "
                      "refused the change (access denied).",
                      true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvel::testing
