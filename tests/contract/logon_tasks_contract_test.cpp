// The Task Scheduler's log-on tasks, the same on every backend: a Windows 7 image natively,
// the prefix's scheduler under Wine. Only a task of the test's own name is touched.

#include <string>

#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

constexpr const char* kTask = "Morvel contract test";
constexpr const char* kDefinition =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Task version=\"1.2\" "
    "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Actions><Exec>"
    "<Command>C:\\windows\\notepad.exe</Command></Exec></Actions></Task>\n";

class LogonTasksContract : public testing::TwoBackendTest {
 protected:
  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.scratch = "Morvel Logon Tasks";  // the image's drive C with it
      s.machine_ini = "[System]\r\nPlatform=NT\r\nVersion=6.1\r\n";
      s.machine_folders = true;
      return s;
    }();
    return setup;
  }
  void SetUp() override {
    TwoBackendTest::SetUp();
    (void)tasks().Remove(kTask);  // left by a run that stopped halfway
  }
  void TearDown() override {
    (void)tasks().Remove(kTask);
    TwoBackendTest::TearDown();
  }
  platform::LogonTasks& tasks() { return machine().logon_tasks(); }
  std::string TaskFile() { return system().SystemFolder() + "\\Tasks\\" + kTask; }
};

TEST_F(LogonTasksContract, RegisteredInTheRootFolderReplacedAndRemoved) {
  ASSERT_TRUE(tasks().Available());
  EXPECT_FALSE(tasks().CurrentUser().empty());
  EXPECT_EQ(tasks().Exists(kTask).value, false);
  EXPECT_EQ(tasks().Remove(kTask).kind, platform::ErrorKind::NotFound);

  const platform::Status registered = tasks().Register(kTask, kDefinition);
  ASSERT_TRUE(registered.ok()) << platform::ErrorKindName(registered.kind);
  EXPECT_EQ(tasks().Exists(kTask).value, true);
  // Where Windows keeps its tasks.
  EXPECT_TRUE(files().Exists(TaskFile())) << TaskFile();
  EXPECT_TRUE(tasks().Register(kTask, kDefinition).ok()) << "a second registration replaces it";

  EXPECT_TRUE(tasks().Remove(kTask).ok());
  EXPECT_EQ(tasks().Exists(kTask).value, false);
  EXPECT_FALSE(files().Exists(TaskFile()));
}

TEST_F(LogonTasksContract, WhatIsNoTaskDefinitionOrNameIsRefused) {
  EXPECT_EQ(tasks().Register(kTask, "not a task").kind, platform::ErrorKind::InvalidArgument);
  EXPECT_EQ(tasks().Exists(kTask).value, false);
  EXPECT_FALSE(tasks().Register("..\\Morvel contract test", kDefinition).ok());
  EXPECT_FALSE(files().Exists(system().SystemFolder() + "\\Morvel contract test"));
}

}  // namespace
}  // namespace morvel::contract
