#include "cli/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/settings_store.h"
#include "cli/arguments.h"
#include "demo/image.h"
#include "platform/emulated/machine.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

class ScriptedQuestions final : public platform::UserQuestions {
 public:
  explicit ScriptedQuestions(platform::Answer answer) : answer_(answer) {}
  platform::Answer Ask(const platform::Question& q) override {
    asked.emplace_back(q.text);
    return answer_;
  }
  std::vector<std::string> asked;

 private:
  platform::Answer answer_;
};

using morvel::testing::Snapshot;

class DemoImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = temp_.path();
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
  }

  // Runs one command on a freshly opened machine, as the program does.
  template <class Command>
  int Run(Command command, platform::Answer answer = platform::Answer::No) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    questions = std::make_unique<ScriptedQuestions>(answer);
    platform::Port port{machine->registry(), machine->files(),
                        machine->system(),   machine->windows(),
                        *questions,          machine->protected_storage(),
                        machine->internet(), machine->logon_tasks()};
    out.str("");
    err.str("");
    const int status = command(port, Streams{out, err, false});
    machine->Save();
    return status;
  }

  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  fs::path dir;

  ::morvel::testing::TempImage temp_{"cli"};  // unique per process: fixtures run in parallel
  std::ostringstream out, err;
  std::unique_ptr<ScriptedQuestions> questions;
};

const std::string kSep(107, '-');

TEST_F(DemoImageTest, TestPrintsExactLinesAndChangesNothing) {
  const auto before = Snapshot(dir);
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) {
              return TestCommand(
                  p, {"Google Chrome - Stored passwords in Forms", "Netscape - Preferences"}, io);
            }),
            0);
  EXPECT_EQ(
      OutLines(),
      (std::vector<std::string>{
          "Test: Clearing Google Chrome - Stored passwords in Forms ...", "",
          "0 items will be removed; 0 KB will be removed.", "", kSep,
          "Test: Clearing Netscape - Preferences ...",
          "Test: deleting "
          "C:\\Users\\User\\AppData\\Roaming\\Netscape\\NSB\\Profiles\\pbzik8cu.default\\prefs.js",
          "", "1 items will be removed; 1 KB will be removed.", "", kSep,
          "Total items will be removed = 1 ; Total files will be removed = 1 KB", kSep}));
  EXPECT_EQ(Snapshot(dir), before);  // registry.reg and settings.ini byte-identical
}

TEST_F(DemoImageTest, TestWithoutKeysRunsTheStoredTicksInTreeOrder) {
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return TestCommand(p, {}, io); }), 0);
  std::vector<std::string> headers;
  for (const std::string& l : OutLines())
    if (l.rfind("Test: Clearing", 0) == 0) headers.push_back(l);
  EXPECT_EQ(headers, (std::vector<std::string>{
                         "Test: Clearing Windows - Recent Documents ...",
                         "Test: Clearing Windows - Start Run ...",
                         "Test: Clearing Windows - Empty Recycle Bin ...",
                         "Test: Clearing Windows - Temporary Files ...",
                         "Test: Clearing Windows - Memory Dumps ...",
                         "Test: Clearing Windows - Chkdsk File Fragments ...",
                         "Test: Clearing Windows - Windows Log Files ...",
                         "Test: Clearing Netscape - Cookies ...",
                         "Test: Clearing Netscape - Visited URL History ...",
                         "Test: Clearing Netscape - Temporary Internet Files ...",
                         "Test: Clearing Opera - Cookies ...",
                         "Test: Clearing Opera - Visited URL History ...",
                         "Test: Clearing Opera - Temporary Internet Files ...",
                         "Test: Clearing Mozilla Firefox - Cookies ...",
                         "Test: Clearing Mozilla Firefox - Visited URL History ...",
                         "Test: Clearing Mozilla Firefox - Temporary Internet Files ...",
                         "Test: Clearing Mozilla Firefox - Saved Form Information ...",
                         "Test: Clearing Google Chrome - Temporary Internet Files ...",
                         "Test: Clearing Google Chrome - Cookies ...",
                         "Test: Clearing Google Chrome - Visited URL History ...",
                         "Test: Clearing Google Chrome - Stored passwords in Forms ...",
                         "Test: Clearing Advanced - Open File History ...",
                         "Test: Clearing Advanced - User Assist History ...",
                         "Test: Clearing Advanced - Google Toolbar History ...",
                         "Test: Clearing Microsoft Office - Excel ...",
                         "Test: Clearing Microsoft Office - Word ...",
                         "Test: Clearing Instant Messengers - MSN Messenger ...",
                         "Test: Clearing Instant Messengers - Skype ...",
                         "Test: Clearing Applications - 7-Zip ...",
                         "Test: Clearing Applications - FileZilla ...",
                         "Test: Clearing Applications - TeamViewer ...",
                         "Test: Clearing Applications - Acrobat Reader ...",
                         "Test: Clearing Custom Lists - <New List> ..."}));
}

TEST_F(DemoImageTest, ListShowsTicksAndInstalledApplications) {
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return ListCommand(p, io); }), 0);
  const auto lines = OutLines();
  auto has = [&](const std::string& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("[x] Windows"));
  EXPECT_TRUE(has("  [x] Temporary Files"));
  EXPECT_TRUE(has("  [ ] Search Assistant"));
  EXPECT_TRUE(has("[x] Applications"));
  EXPECT_TRUE(has("  [x] 7-Zip"));
  EXPECT_TRUE(has("  [ ] WinRAR"));  // installed and defined, not ticked
  EXPECT_EQ(lines.front(), "[ ] Internet Explorer");
  EXPECT_EQ(lines.back(), "  [x] <New List>");
}

TEST_F(DemoImageTest, CleanAsksOnceAndRefusalRunsNothing) {
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) { return CleanCommand(p, {}, false, io); },
                platform::Answer::No),
            1);
  EXPECT_EQ(questions->asked.size(), 1u);
  EXPECT_TRUE(out.str().empty());

  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) { return CleanCommand(p, {}, false, io); },
                platform::Answer::Yes),
            0);
  EXPECT_EQ(questions->asked.size(), 1u);  // before the preparation pass only
  const auto lines = OutLines();
  // Only the removal pass is shown.
  EXPECT_EQ(lines.front(), "Clean: Clearing Windows - Recent Documents ...");
  EXPECT_EQ(lines[lines.size() - 2].rfind("Total items to be removed = ", 0), 0u);
}

TEST_F(DemoImageTest, UnattendedCleanAsksNothing) {
  ASSERT_EQ(Run([](platform::Port& p, const Streams& io) {
              return CleanCommand(p, {"Windows - Clipboard"}, true, io);
            }),
            0);
  EXPECT_TRUE(questions->asked.empty());
  EXPECT_EQ(OutLines().front(), "Clean: Clearing Windows - Clipboard ...");
}

TEST_F(DemoImageTest, FirefoxOpenRefusesCleanButNotTest) {
  std::ofstream(dir / "machine.ini", std::ios::trunc)
      << "[Windows]\r\n1=Shell_TrayWnd\r\n2=MozillaWindowClass\r\n";
  auto clean = [](platform::Port& p, const Streams& io) {
    return CleanCommand(p, {"Mozilla Firefox - Cookies"}, false, io);
  };
  EXPECT_EQ(Run(clean, platform::Answer::Yes), 1);
  EXPECT_EQ(err.str(), "Please close Mozilla Firefox firstly!\n");
  EXPECT_TRUE(questions->asked.empty());
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) {
              return TestCommand(p, {"Mozilla Firefox - Cookies"}, io);
            }),
            0);
  // Another item cleans while Firefox is open.
  EXPECT_EQ(
      Run([](platform::Port& p,
             const Streams& io) { return CleanCommand(p, {"Windows - Clipboard"}, false, io); },
          platform::Answer::Yes),
      0);
}

TEST_F(DemoImageTest, EmptySelection) {
  std::ofstream(dir / "drives/C/Program Files/Morvel/settings.ini", std::ios::trunc)
      << "[NodeSelected]\r\nSelectedCount=0\r\n";
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) { return TestCommand(p, {}, io); }), 1);
  EXPECT_EQ(err.str(), "Please select items you want to clear from the left list firstly.\n");
  EXPECT_EQ(Run([](platform::Port& p, const Streams& io) { return CleanCommand(p, {}, true, io); }),
            0);
  EXPECT_TRUE(err.str().empty());
  EXPECT_TRUE(out.str().empty());
}

TEST(Arguments, ParsesAndRejects) {
  const Arguments a =
      ParseArguments({"--image", "img", "--yes", "clean", "Windows - Clipboard", "--unattended"});
  EXPECT_EQ(a.image, "img");
  EXPECT_EQ(a.answer, TerminalQuestions::Fixed::Yes);
  EXPECT_TRUE(a.unattended);
  EXPECT_EQ(a.command, "clean");
  EXPECT_EQ(a.args, (std::vector<std::string>{"Windows - Clipboard"}));
  EXPECT_EQ(ParseArguments({"--image=x", "test", "--", "--odd key"}).args,
            (std::vector<std::string>{"--odd key"}));
  const std::vector<std::vector<std::string>> bad = {{},
                                                     {"--image"},
                                                     {"--image="},
                                                     {"frobnicate"},
                                                     {"--yes", "--no", "test"},
                                                     {"--unattended", "test"},
                                                     {"list", "extra"},
                                                     {"--what", "list"},
                                                     {"demo", "a", "b"}};
  for (const auto& words : bad) EXPECT_THROW(ParseArguments(words), UsageError) << words.size();
}

}  // namespace
}  // namespace morvel::cli

namespace morvel::cli {
namespace {

TEST_F(DemoImageTest, SettingsWrittenThroughThePortReadBackTheSame) {
  auto machine = platform::emulated::EmulatedMachine::Open(dir);
  const std::string folder = machine->system().ExecutableFolder();
  TOptionsSetting written;
  written.FastScan = false;
  written.OverwriteNumber = 7;
  Catalogue catalogue = Catalogue::Fixed();
  catalogue.SetAll(kUnticked);
  catalogue.TickByKey("Windows - Clipboard");
  IniDocument ini = ReadSettingsFile(machine->files(), folder);
  SaveSettings(ini, written, catalogue, WindowPlacement{1, 10, 20, 700, 500});
  ASSERT_TRUE(WriteSettingsFile(machine->files(), folder, ini).ok());
  // The file is replaced as a whole: no temporary file stays beside it.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e :
       fs::directory_iterator(dir / "drives/C/Program Files/Morvel"))
    ++entries;
  EXPECT_EQ(entries, 4u);  // settings.ini, Morvel.dat, Clist.dat, Cookies.dat

  TOptionsSetting read;
  Catalogue again = Catalogue::Fixed();
  LoadSettings(ReadSettingsFile(machine->files(), folder), read, again, {});
  EXPECT_FALSE(read.FastScan);
  EXPECT_EQ(read.OverwriteNumber, 7);
  EXPECT_EQ(read.Left, 10);
  // Keys 2 to 7 of the demo's ticks stay behind, ignored behind the new count.
  EXPECT_EQ(again.CollectTickedKeys(), (std::vector<std::string>{"Windows - Clipboard"}));
}

}  // namespace
}  // namespace morvel::cli
