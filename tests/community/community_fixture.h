#pragma once
// The fixture of the community definitions' tests: a fresh machine per test whose variables
// stand for real folders (the image's defaults natively, the Wine prefix's own folders under
// Wine), the program folder in the scratch folder, and traces made below the variables'
// folders in folders of the test's own, removed again at its end.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/community/variables.h"
#include "tests/harness/two_backend_test.h"

namespace morvel::community_test {

using community::Variable;

class CommunityTest : public testing::TwoBackendTest {
 protected:
  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.scratch = "Morvel Community Tests";
      s.machine_ini = "[System]\r\nPlatform=NT\r\nAdministrator=1\r\n";
      // Where Windows keeps the Program Files folders; natively a 64-bit machine.
      s.registry_reg =
          "Windows Registry Editor Version 5.00\r\n"
          "\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
          "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
          "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\r\n"
          "\"ProgramFilesDir (x86)\"=\"C:\\\\Program Files (x86)\"\r\n"
          "\"CommonFilesDir (x86)\"=\"C:\\\\Program Files (x86)\\\\Common Files\"\r\n"
          "\r\n";
      s.image_folders = {"drives/C/Program Files/Common Files",
                         "drives/C/Program Files (x86)/Common Files"};
      s.machine_folders = true;
      return s;
    }();
    return setup;
  }

  void SetUp() override {
    TwoBackendTest::SetUp();
    system().program_folder = Path() + "\\";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    own_ = std::string("Morvel Community Test ") + info->name();
  }

  void TearDown() override {
    for (const std::string& folder : made_) (void)files().ShellDelete(folder);
    TwoBackendTest::TearDown();
  }

  // The variables as this machine resolves them.
  community::VariableValues Values() { return {system(), registry()}; }

  // The test's own folder below each folder `variable` stands for ("<folder>\Morvel
  // Community Test <name>"), made when `make`; what a path in a definition names as
  // "%Variable%\" + Own().
  std::vector<std::string> OwnFolders(Variable variable, bool make = true) {
    std::vector<std::string> folders;
    const community::VariableValues values = Values();
    for (const std::string& base : values.Folders(variable)) {
      std::string folder = (base.size() == 2 ? base + "\\" : base + "\\") + own_;
      if (make) {
        EXPECT_TRUE(files().CreateFolder(folder).ok()) << folder;
        made_.push_back(folder);
      }
      folders.push_back(std::move(folder));
    }
    return folders;
  }
  const std::string& Own() const { return own_; }

  // "%<variable>%\<own folder>"
  std::string OwnIn(Variable variable) const {
    return "%" + std::string(community::VariableName(variable)) + "%\\" + own_;
  }

 private:
  std::string own_;
  std::vector<std::string> made_;
};

}  // namespace morvel::community_test
