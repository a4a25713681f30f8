// Which entries apply to this machine, on both backends: registry keys and paths, the
// wildcard of the last name, every folder of %ProgramFiles%, and entries whose detection
// cannot be read.

#include "engine/community/detection.h"

#include <gtest/gtest.h>

#include "engine/community/reader.h"
#include "tests/community/community_fixture.h"

namespace morvel::community_test {
namespace {

using community::Definitions;
using community::Detector;

class CommunityDetection : public CommunityTest {
 protected:
  bool Detects(const std::vector<std::string>& lines) {
    std::string text = "[Entry *]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    const Definitions read = community::ReadDefinitions(text);
    EXPECT_EQ(read.entries.size(), 1u);
    const community::VariableValues values = Values();
    Detector detector(registry(), files(), values);
    return detector.Detects(read.entries.front());
  }
};

TEST_F(CommunityDetection, KeysAndPathsThatAreThereOrNot) {
  const std::string local = OwnFolders(Variable::LocalAppData).front();
  WriteAt(local + "\\Vendor\\App 2\\settings.ini", "x");
  WriteAt(local + "\\readme.txt", "x");
  PutKey(kUser, Key("Vendor"));
  const std::string there = OwnIn(Variable::LocalAppData);
  struct Case {
    std::vector<std::string> lines;
    bool detected;
  };
  const std::vector<Case> cases = {
      {{}, true},  // no detection line: always
      {{"DetectFile=" + there + "\\Vendor"}, true},
      {{"DetectFile=" + there + "\\VENDOR\\app 2\\Settings.INI"}, true},  // letter case aside
      {{"DetectFile=" + there + "\\readme.txt"}, true},                   // a file too
      {{"DetectFile=" + there + "\\Vendor\\App*"}, true},
      {{"DetectFile=" + there + "\\Vendor\\App ?"}, true},
      {{"DetectFile=" + there + "\\Vendor\\App"}, false},
      {{"DetectFile=" + there + "\\Vendor\\Other*"}, false},
      {{"DetectFile=" + there + "\\Missing\\App 2"}, false},
      {{"Detect=HKCU\\" + Key("Vendor")}, true},
      {{"Detect=HKCU\\" + Key("Missing")}, false},
      // One line that holds is enough, whatever the others say.
      {{"Detect1=HKCU\\" + Key("Missing"), "DetectFile2=" + there + "\\Missing",
        "DetectFile3=" + there + "\\Vendor"},
       true},
      // Detection lines that cannot be read never hold; nothing is guessed.
      {{"DetectFile=%Unknown%\\Vendor"}, false},
      {{"DetectFile=" + there + "\\*\\App 2"}, false},
      {{"SpecialDetect=DET_CHROME"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.empty() ? "no line" : c.lines.back());
    EXPECT_EQ(Detects(c.lines), c.detected);
  }
}

// On 64-bit Windows a program of either width may be installed: both folders are looked in.
TEST_F(CommunityDetection, EveryProgramFilesFolderIsLookedIn) {
  const std::vector<std::string> folders = OwnFolders(Variable::ProgramFiles, false);
  ASSERT_FALSE(folders.empty());
  const std::string line = "DetectFile=" + OwnIn(Variable::ProgramFiles) + "\\App.exe";
  EXPECT_FALSE(Detects({line}));
  const auto made = OwnFolders(Variable::ProgramFiles);
  WriteAt(made.back() + "\\App.exe", "MZ");
  EXPECT_TRUE(Detects({line}));
}

// Each variable stands for a folder that is there on a Windows machine of today.
TEST_F(CommunityDetection, EveryVariableStandsForAFolderOfThisMachine) {
  const community::VariableValues values = Values();
  for (std::size_t i = 0; i < community::kVariableCount; ++i) {
    const auto variable = static_cast<Variable>(i);
    SCOPED_TRACE(std::string(community::VariableName(variable)));
    if (variable == Variable::UserName) {
      EXPECT_FALSE(values.UserName().empty());
      continue;
    }
    ASSERT_FALSE(values.Folders(variable).empty());
    for (const std::string& folder : values.Folders(variable)) {
      const auto stat = files().Stat(folder.size() == 2 ? folder + "\\" : folder);
      ASSERT_TRUE(stat.ok()) << folder;
      EXPECT_TRUE(stat.value.IsFolder()) << folder;
    }
  }
}

}  // namespace
}  // namespace morvel::community_test
