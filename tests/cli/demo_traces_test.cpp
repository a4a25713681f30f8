// The demo image's traces against the shipped definitions: every item the shipped file
// cleans finds its traces in a Test run, a Clean removes them all, and what the same
// programs keep that is no trace (settings, sessions, program files) stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/demo_image.h"
#include "common/text.h"
#include "platform/emulated/machine.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

class NoQuestions final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question&) override {
    ADD_FAILURE() << "an unattended run asked a question";
    return platform::Answer::No;
  }
};

// Item keys whose sections the demo gives traces, and the programs' things that stay.
const std::vector<std::string> kItems = {
    "Windows - Windows Log Files",
    "Advanced - Google Toolbar History",
    "Applications - 7-Zip",
    "Applications - Adobe Flash Player",
    "Applications - FileZilla",
    "Applications - MPC-HC",
    "Applications - Microsoft Office",
    "Applications - Pidgin",
    "Applications - TeamViewer",
    "Applications - VLC media player",
    "Applications - WinRAR",
    "Applications - PuTTY",
    "Applications - Acrobat Reader",
    "Applications - WinZip",
    "Custom Lists - <New List>",
};

const std::vector<std::string> kKeptFiles = {
    "Windows/inf/usb.inf",
    "Windows/system32/drivers/etc/hosts",
    "Program Files/TeamViewer/TeamViewer.exe",
    "Users/User/AppData/Roaming/vlc/vlcrc",
    "Users/User/AppData/Roaming/FileZilla/sitemanager.xml",
    "Users/User/AppData/Roaming/.purple/accounts.xml",
    "Users/User/AppData/Roaming/Macromedia/Flash Player/macromedia.com/support/flashplayer/sys/"
    "settings.sol",
    "Users/User/Desktop/shopping.txt",
    "Users/User/Documents/taxes.7z",
};

// Registry lines that must survive the Clean (the file is UTF-16LE, read back as UTF-8).
const std::vector<std::string> kKeptRegistryLines = {
    "\"Level\"=dword:00000005",
    "\"ShowDots\"=dword:00000000",
    "[HKEY_CURRENT_USER\\Software\\SimonTatham\\PuTTY\\Sessions\\backup-server]",
    "\"HostName\"=\"backup.example.org\"",
    "\"Theme\"=\"blue\"",
    "\"DisplayName\"=\"WinZip 24.0\"",
};

class DemoTraces : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) / "morvel-demo-traces";
    fs::remove_all(dir);
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
  }
  void TearDown() override { fs::remove_all(dir); }

  // The item counts of one run: header line's key -> count of its summary line.
  std::map<std::string, long> Run(bool clean) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    NoQuestions questions;
    platform::Port port{machine->registry(), machine->files(), machine->system(),
                        machine->windows(),  questions,        machine->protected_storage(),
                        machine->internet()};
    std::ostringstream out, err;
    const Streams io{out, err, false};
    const int status = clean ? CleanCommand(port, kItems, true, io) : TestCommand(port, kItems, io);
    EXPECT_EQ(status, 0) << err.str();
    machine->Save();

    std::map<std::string, long> counts;
    std::istringstream lines(out.str());
    std::string key;
    for (std::string line; std::getline(lines, line);) {
      const std::string header = clean ? "Clean: Clearing " : "Test: Clearing ";
      if (line.rfind(header, 0) == 0 && line.size() > header.size() + 4) {
        key = line.substr(header.size(), line.size() - header.size() - 4);  // drop " ..."
      } else if (!key.empty() && line.find(" items ") != std::string::npos) {
        counts[key] = std::stol(line);
        key.clear();
      }
    }
    return counts;
  }

  std::string RegistryText() const {
    std::ifstream in(dir / "registry.reg", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    return Utf16LeBytesToUtf8(bytes.substr(2));
  }

  fs::path dir;
};

TEST_F(DemoTraces, EveryItemFindsItsTracesAndCleanRemovesThem) {
  const auto found = Run(false);
  for (const std::string& key : kItems) {
    ASSERT_TRUE(found.count(key)) << key;
    EXPECT_GT(found.at(key), 0) << key;
  }
  const auto removed = Run(true);
  EXPECT_EQ(removed, found);  // the Clean counts what the Test found
  for (const auto& [key, count] : Run(false)) EXPECT_EQ(count, 0) << key;

  for (const std::string& file : kKeptFiles)
    EXPECT_TRUE(fs::exists(dir / "drives" / "C" / fs::path(file))) << file;
  const std::string registry = RegistryText();
  for (const std::string& line : kKeptRegistryLines)
    EXPECT_NE(registry.find(line), std::string::npos) << line;
  EXPECT_EQ(registry.find("MPC-HC\\Recent File List"), std::string::npos);
  EXPECT_EQ(registry.find("cRecentFiles"), std::string::npos);
}

}  // namespace
}  // namespace morvel::cli
