// The custom list end to end: `test` and `clean` of "Custom Lists - <New List>" on a
// machine image of its own, through the command line's commands. (The demo image's custom
// list is covered with the demo's other traces in demo_traces_test.cpp.)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/commands.h"
#include "platform/emulated/machine.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKey = "Custom Lists - <New List>";
const std::string kSep(107, '-');

class AnswerYes final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question& q) override {
    asked.emplace_back(q.text);
    return q.buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Yes;
  }
  std::vector<std::string> asked;
};

void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

using morvel::testing::Snapshot;

class CustomListCommand : public ::testing::Test {
 protected:
  void SetUp() override { dir = temp_.path(); }

  // One command on a freshly opened machine, as the program runs it; the log's lines.
  std::vector<std::string> Run(bool clean) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    platform::Port port = platform::PortOf(*machine, questions);
    std::ostringstream out, err;
    const Streams io{out, err, false};
    const int status =
        clean ? CleanCommand(port, {kKey}, false, io) : TestCommand(port, {kKey}, io);
    EXPECT_EQ(status, 0) << err.str();
    machine->Save();
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  // A machine opened to look at the image after a run.
  std::unique_ptr<platform::emulated::EmulatedMachine> Open() {
    return platform::emulated::EmulatedMachine::Open(dir);
  }

  fs::path dir;

  ::morvel::testing::TempImage temp_{
      "custom-list"};  // unique per process: fixtures run in parallel
  AnswerYes questions;
};

TEST_F(CustomListCommand, TestListsExactlyWhatCleanRemoves) {
  WriteFile(dir / "machine.ini", "[System]\r\nPlatform=NT\r\n");
  WriteFile(dir / "registry.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Morvel Demo\\Search History]\r\n"
            "\"1\"=\"holiday flights\"\r\n\"2\"=\"tax forms\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Morvel Demo\\Search History\\Old]\r\n"
            "\"1\"=\"x\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Morvel Demo\\Recent]\r\n"
            "\"a\"=\"one\"\r\n\"b\"=\"two\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Morvel Demo\\Keep]\r\n"
            "\"k\"=\"stay\"\r\n\r\n");
  const fs::path c = dir / "drives" / "C";
  WriteFile(c / "Program Files" / "Morvel" / "settings.ini",
            "[Settings]\r\nAskForSweep=0\r\nFastScan=0\r\n");
  WriteFile(c / "Program Files" / "Morvel" / "Clist.dat",
            "[<New List>]\r\n"
            "DelFile1=C:\\Users\\User\\Documents\\Old Drafts\r\n"
            "DelFile2=C:\\Users\\User\\Desktop,notes-*.txt\r\n"
            "DelRegValue1=HKEY_CURRENT_USER\\Software\\Morvel Demo\\Search History\r\n"
            "DelRegValue2=HKEY_CURRENT_USER\\Software\\Morvel Demo\\Recent,\r\n");
  const fs::path user = c / "Users" / "User";
  WriteFile(user / "Documents" / "Old Drafts" / "letter v1.doc", std::string(24576, 'a'));
  WriteFile(user / "Documents" / "Old Drafts" / "Archive" / "letter v0.doc",
            std::string(20480, 'b'));
  WriteFile(user / "Desktop" / "notes-monday.txt", std::string(100, 'c'));
  WriteFile(user / "Desktop" / "notes-tuesday.txt", std::string(1000, 'd'));
  WriteFile(user / "Desktop" / "shopping.txt", "bread");

  const auto before = Snapshot(dir);
  const std::vector<std::string> entries = {
      "deleting C:\\Users\\User\\Documents\\Old Drafts\\Archive\\letter v0.doc",
      "deleting C:\\Users\\User\\Documents\\Old Drafts\\letter v1.doc",
      "deleting C:\\Users\\User\\Desktop\\notes-monday.txt",
      "deleting C:\\Users\\User\\Desktop\\notes-tuesday.txt",
      "deleting registry key HKEY_CURRENT_USER\\Software\\Morvel Demo\\Search History",
      "deleting registry value HKEY_CURRENT_USER\\Software\\Morvel Demo\\Recent\\a",
      "deleting registry value HKEY_CURRENT_USER\\Software\\Morvel Demo\\Recent\\b",
  };
  // 4 files and 3 + 2 values; 46,156 bytes are 46 KB rounded up.
  std::vector<std::string> expected{"Test: Clearing Custom Lists - <New List> ..."};
  for (const auto& e : entries) expected.push_back("Test: " + e);
  for (const std::string& l :
       {std::string(), std::string("9 items will be removed; 46 KB will be removed."),
        std::string(), kSep,
        std::string("Total items will be removed = 9 ; Total files will be removed = 46 KB"), kSep})
    expected.push_back(l);
  EXPECT_EQ(Run(false), expected);
  EXPECT_EQ(Snapshot(dir), before);

  expected = {"Clean: Clearing Custom Lists - <New List> ..."};
  for (const auto& e : entries) expected.push_back("Clean: " + e);
  for (const std::string& l :
       {std::string(), std::string("9 items to be removed; 46 KB to be removed."), std::string(),
        kSep, std::string("Total items to be removed = 9 ; Total files to be removed = 46 KB"),
        kSep, std::string("Verified: nothing left.")})
    expected.push_back(l);
  EXPECT_EQ(Run(true), expected);
  EXPECT_TRUE(questions.asked.empty());

  auto machine = Open();
  auto& files = machine->files();
  auto& registry = machine->registry();
  EXPECT_FALSE(files.Exists("C:\\Users\\User\\Documents\\Old Drafts"));
  EXPECT_TRUE(files.Exists("C:\\Users\\User\\Documents"));
  EXPECT_FALSE(files.Exists("C:\\Users\\User\\Desktop\\notes-monday.txt"));
  EXPECT_TRUE(files.Exists("C:\\Users\\User\\Desktop\\shopping.txt"));
  const auto kUser = platform::RootKey::CurrentUser;
  EXPECT_FALSE(registry.KeyExists(kUser, "Software\\Morvel Demo\\Search History"));
  ASSERT_TRUE(registry.KeyExists(kUser, "Software\\Morvel Demo\\Recent"));
  EXPECT_TRUE(registry.Values(kUser, "Software\\Morvel Demo\\Recent").value.empty());
  EXPECT_TRUE(registry.ReadValue(kUser, "Software\\Morvel Demo\\Keep", "k").ok());
}

}  // namespace
}  // namespace morvel::cli
