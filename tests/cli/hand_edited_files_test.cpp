// The program's own files as people edit them by hand (settings.ini, Clist.dat and
// Morvel.dat saved by Notepad in any of its encodings, stored counts of any size), and a
// user without administrator rights, end to end through the command line's commands.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "common/ini_file.h"
#include "platform/emulated/machine.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

class NoQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question& q) override {
    asked.emplace_back(q.text);
    return q.default_answer;
  }
  std::vector<std::string> asked;
};

struct Case {
  const char* name;
  IniEncoding encoding;
  const char* count;  // SelectedCount as stored
  bool ticked;        // whether the two stored ticks apply
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr const char* kListed = "Software\\Listed";
constexpr const char* kDefined = "Software\\Defined";
constexpr const char* kVendor = "SOFTWARE\\Vendor";

class HandEditedFiles : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    dir_ = temp_.path();
    Write("registry.reg",
          "Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\Listed]\r\n\"a\"=\"1\"\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\Defined]\r\n\"b\"=\"2\"\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo]\r\n"
          "\"DisplayName\"=\"Foo Tool\"\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n\"Name\"=\"value\"\r\n\r\n");
  }

  void Write(const fs::path& relative, std::string_view bytes) {
    fs::create_directories((dir_ / relative).parent_path());
    std::ofstream(dir_ / relative, std::ios::binary | std::ios::trunc) << bytes;
  }
  // A file of the program's folder, in the case's encoding.
  void WriteProgramFile(const char* name, std::string_view text, IniEncoding encoding) {
    Write(fs::path("drives/C/Program Files/Morvel") / name, EncodeIniText(text, encoding));
  }

  // One command on a freshly opened machine, as the program runs it.
  template <class Command>
  int Run(Command command) {
    const auto machine = platform::emulated::EmulatedMachine::Open(dir_);
    platform::Port port = platform::PortOf(*machine, questions_);
    out_.str("");
    err_.str("");
    const int status = command(port, Streams{out_, err_, false});
    machine->Save();
    return status;
  }
  bool Has(const std::string& line) const {
    return out_.str().find(line + "\n") != std::string::npos;
  }
  bool KeyExists(platform::RootKey root, const char* key) {
    return platform::emulated::EmulatedMachine::Open(dir_)->registry().KeyExists(root, key);
  }

  fs::path dir_;

  ::morvel::testing::TempImage temp_{
      "hand-edited"};  // unique per process: fixtures run in parallel
  NoQuestions questions_;
  std::ostringstream out_, err_;
};

TEST_P(HandEditedFiles, ReadAsTheProfileFunctionsReadThemAndFinishAtOnce) {
  const Case& c = GetParam();
  // The section that Notepad's mark would have hidden comes first in every file.
  WriteProgramFile("settings.ini",
                   std::string("[NodeSelected]\r\n1=Custom Lists - <New List>\r\n"
                               "2=Applications - Foo\r\nSelectedCount=") +
                       c.count + "\r\n[Settings]\r\nAskForSweep=0\r\n",
                   c.encoding);
  WriteProgramFile("Clist.dat",
                   "[<New List>]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\Listed\r\n",
                   c.encoding);
  WriteProgramFile("Morvel.dat", "[Foo]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\Defined\r\n",
                   c.encoding);
  const std::string tick = c.ticked ? "[x] " : "[ ] ";

  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return ListCommand(p, io); }), 0);
  EXPECT_TRUE(Has("  " + tick + "Foo")) << out_.str();
  EXPECT_TRUE(Has("  " + tick + "<New List>")) << out_.str();

  const int tested =
      Run([](platform::Port& p, const Streams& io) { return TestCommand(p, {}, io); });
  if (c.ticked) {
    EXPECT_EQ(tested, 0);
    EXPECT_TRUE(Has("Test: Clearing Applications - Foo ..."));
    EXPECT_TRUE(Has("Total items will be removed = 2 ; Total files will be removed = 0 KB"));
  } else {
    EXPECT_EQ(tested, 1);
    EXPECT_EQ(err_.str(), "Please select items you want to clear from the left list firstly.\n");
  }

  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) { return CleanCommand(p, {}, true, io); }),
            0);
  EXPECT_EQ(KeyExists(platform::RootKey::CurrentUser, kListed), !c.ticked);
  EXPECT_EQ(KeyExists(platform::RootKey::CurrentUser, kDefined), !c.ticked);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HandEditedFiles,
    ::testing::Values(Case{"Plain", IniEncoding::Plain, "2", true},
                      Case{"Utf8WithMark", IniEncoding::Utf8Bom, "2", true},
                      Case{"Utf16Le", IniEncoding::Utf16Le, "2", true},
                      Case{"Utf16Be", IniEncoding::Utf16Be, "2", true},
                      Case{"LargestCount", IniEncoding::Plain, "2147483647", true},
                      Case{"LargestCountUtf16", IniEncoding::Utf16Le, "2147483647", true},
                      Case{"NegativeCount", IniEncoding::Utf8Bom, "-2147483648", false},
                      Case{"GarbageCount", IniEncoding::Plain, "lots", false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A user without administrator rights: the machine refuses what Windows refuses, and the
// log says so: the key removal that was tried stays as a line, but the count is of what
// went. Value entries under HKEY_LOCAL_MACHINE are not tried at all.
TEST_F(HandEditedFiles, NonAdministratorRemovesOnlyWhatWindowsAllows) {
  Write("machine.ini", "[System]\r\nAdministrator=0\r\n");
  WriteProgramFile("settings.ini", "[Settings]\r\nFastScan=0\r\nAskForSweep=0\r\n",
                   IniEncoding::Plain);
  WriteProgramFile("Clist.dat",
                   "[<New List>]\r\n"
                   "DelRegValue1=HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\r\n"
                   "DelRegValue2=HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor,Name\r\n"
                   "DelRegValue3=HKEY_CURRENT_USER\\Software\\Listed\r\n",
                   IniEncoding::Plain);
  WriteProgramFile("Morvel.dat", "[Foo]\r\n", IniEncoding::Plain);

  // The Uninstall key cannot be opened for full access: Applications stays empty.
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return ListCommand(p, io); }), 0);
  EXPECT_NE(out_.str().find("[ ] Applications\n[ ] Custom Lists\n"), std::string::npos);

  const std::vector<std::string> keys = {"Custom Lists - <New List>"};
  ASSERT_EQ(Run([&](platform::Port& p, const Streams& io) { return TestCommand(p, keys, io); }), 0);
  EXPECT_TRUE(Has("2 items will be removed; 0 KB will be removed."));
  // What Windows refused is left, and the status says so.
  ASSERT_EQ(
      Run([&](platform::Port& p, const Streams& io) { return CleanCommand(p, keys, false, io); }),
      3);
  EXPECT_TRUE(Has("Verified: 2 left (in use: 0, access denied: 1, refused: 1, at restart: 0)."));
  EXPECT_TRUE(Has("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor (access denied)"));
  EXPECT_TRUE(Has("Clean: deleting registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor"));
  EXPECT_TRUE(Has("Clean: deleting registry key HKEY_CURRENT_USER\\Software\\Listed"));
  EXPECT_TRUE(Has("1 items to be removed; 0 KB to be removed."));
  EXPECT_TRUE(KeyExists(platform::RootKey::LocalMachine, kVendor));
  EXPECT_FALSE(KeyExists(platform::RootKey::CurrentUser, kListed));
  // The value entry under HKEY_LOCAL_MACHINE was refused with the notice: once each in the
  // Test, the preparation pass and the removal pass.
  EXPECT_EQ(questions_.asked, std::vector<std::string>(3, "You must have administrators user."));
}

}  // namespace
}  // namespace morvel::cli
