// The Internet Explorer items on the demo image: Test changes nothing and gives each
// item's count and size, Clean removes what Test listed, and a second Test finds only
// what must come back (the indexes waiting for the next start, a lone form entry).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "demo/image.h"
#include "platform/emulated/machine.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

class AnswerYes final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question&) override { return platform::Answer::Yes; }
};

struct Summary {
  long count = -1;
  std::string kb;
  bool operator==(const Summary&) const = default;
};

struct Expected {
  const char* item;
  Summary test;
  long again;  // the count of a Test after the Clean
};

const Expected kItems[] = {
    {"Internet Explorer - Recently Typed URLs", {5, "0"}, 0},
    {"Internet Explorer - Cookies", {2, "1"}, 0},
    {"Internet Explorer - Visited URL History", {4, "0"}, 0},
    {"Internet Explorer - Last Download Location", {1, "0"}, 0},
    {"Internet Explorer - Temporary Internet Files", {3, "9"}, 0},
    {"Internet Explorer - Index.dat Files", {3, "62"}, 3},
    {"Internet Explorer - Autocomplete History", {3, "0"}, 1},
};

class IeDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
    for (const Expected& e : kItems) keys.emplace_back(e.item);
  }

  // One command on a freshly opened machine: each item's summary, and the whole log.
  std::map<std::string, Summary> Run(bool clean) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    AnswerYes yes;
    platform::Port port = platform::PortOf(*machine, yes);
    std::ostringstream out, err;
    const Streams io{out, err, false};
    // The indexes wait for the next start: a Clean leaves them, and says so in its status.
    EXPECT_EQ(clean ? CleanCommand(port, keys, false, io) : TestCommand(port, keys, io),
              clean ? 3 : 0)
        << err.str();
    machine->Save();
    log = out.str();
    std::map<std::string, Summary> summaries;
    std::istringstream lines(log);
    const std::string header = clean ? "Clean: Clearing " : "Test: Clearing ";
    std::string key;
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with(header)) {
        key = line.substr(header.size(), line.size() - header.size() - 4);  // drop " ..."
      } else if (!key.empty() && line.find(" items ") != std::string::npos) {
        const std::size_t semicolon = line.find("; ");
        summaries[key] = {std::stol(line),
                          line.substr(semicolon + 2, line.find(" KB") - semicolon - 2)};
        key.clear();
      }
    }
    return summaries;
  }

  std::string Read(const fs::path& relative) {
    std::ifstream in(dir / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  morvel::testing::TempImage image{"ie-demo"};
  const fs::path& dir = image.path();
  std::vector<std::string> keys;
  std::string log;
};

TEST_F(IeDemo, TestCountsEachItemCleanRemovesItAndWhatMustStayStays) {
  const auto before = morvel::testing::Snapshot(dir);
  const auto tested = Run(false);
  EXPECT_EQ(morvel::testing::Snapshot(dir), before) << "Test changed the image";
  for (const Expected& e : kItems) EXPECT_EQ(tested.at(e.item), e.test) << e.item;
  EXPECT_NE(log.find("Test: deleting http://news.example.org/today\n"), std::string::npos);
  EXPECT_NE(log.find("Warning: This will take effect next time windows is rebooted.\n"),
            std::string::npos);

  const auto cleaned = Run(true);
  for (const Expected& e : kItems) EXPECT_EQ(cleaned.at(e.item).count, e.test.count) << e.item;
  EXPECT_NE(log.find("Clearing, please wait...\n"), std::string::npos);
  // The three indexes go at the next start (the cache's, which the browser holds, is in use
  // for the Temporary Internet Files, and counted once).
  EXPECT_NE(
      log.find("\nVerified: 3 left (in use: 0, access denied: 0, refused: 0, at restart: 3).\n"),
      std::string::npos)
      << log;
  const auto again = Run(false);
  for (const Expected& e : kItems) EXPECT_EQ(again.at(e.item).count, e.again) << e.item;

  const fs::path user = fs::path("drives") / "C" / "Users" / "User" / "AppData";
  const fs::path cookies = user / "Roaming" / "Microsoft" / "Windows" / "Cookies";
  EXPECT_TRUE(fs::exists(dir / cookies / "user@bank.example[1].txt"));
  const std::string cache_index = Read(user / "Local" / "Microsoft" / "Windows" /
                                       "Temporary Internet Files" / "Content.IE5" / "index.dat");
  EXPECT_EQ(cache_index.substr(0, 27), "Client UrlCache MMF Ver 5.2");
  EXPECT_EQ(cache_index.substr(0x4000, 4), "HASH");
  EXPECT_EQ(cache_index.find_first_not_of('\0', 0x4020), std::string::npos);
  EXPECT_EQ(Read("stores/url-cache.txt"),
            "https://bank.example/login\r\nCookie:user@example.com/\r\n"
            "Visited: User@http://www.example.com/\r\n");
  EXPECT_EQ(Read("stores/url-history.txt"), "");
  EXPECT_NE(Read("stores/pstore.ini").find("http://mail.example.com/:StringData"),
            std::string::npos);
}

}  // namespace
}  // namespace morvel::cli
