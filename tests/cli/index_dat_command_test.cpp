#include "cli/index_dat_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/index_dat_viewer.h"
#include "cli/arguments.h"
#include "platform/emulated/machine.h"
#include "tests/stores/index_dat_builder.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;

// 2014-03-09 17:05:42 UTC and 2014-03-10 00:00:00 UTC.
constexpr std::uint64_t kAfternoon = 130'388'583'420'000'000;
constexpr std::uint64_t kMidnight = 130'388'832'000'000'000;

class IndexDatCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = temp_.path();
    fs::create_directories(dir / "drives/C/Cache");
    testing::IndexDatBuilder f(0x1000, 0x100);
    f.Table(0x100, 1).Entry(0x100, 0, 0x800).Entry(0x100, 1, 0x900).Entry(0x100, 2, 0xA00);
    f.UrlRecord(0x800, "http://a.example/", kAfternoon);
    f.RedirectRecord(0x900, "http://b.example/", kMidnight);
    f.UrlRecord(0xA00, "Visited: user@http://c.example/", 0xFFFF'FFFF'FFFF'FFFF, "LEAK");
    Write("drives/C/Cache/index.dat", f.bytes);
  }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }

  int Run(const std::string& file) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    platform::Port port = platform::PortOf(*machine, questions);
    out.str("");
    err.str("");
    return IndexDatCommand(port, file, Streams{out, err, false});
  }

  struct NoQuestions final : platform::UserQuestions {
    platform::Answer Ask(const platform::Question&) override { return platform::Answer::No; }
  } questions;
  fs::path dir;
  ::morvel::testing::TempImage temp_{"index-dat"};  // unique per process: fixtures run in parallel
  std::ostringstream out, err;
};

TEST_F(IndexDatCommandTest, PrintsTheRowsAndTheTotal) {
  ASSERT_EQ(Run(R"(C:\cache\INDEX.DaT)"), 0) << err.str();
  EXPECT_EQ(out.str(),
            "http://a.example/\t3/9/2014 5:05:42 PM\n"
            "http://b.example/\t3/10/2014\n"
            "Visited: user@http://c.example/\tNot Available\n"
            "Total Record: 3\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(IndexDatCommandTest, TimesFollowTheMachinesLocale) {
  Write("machine.ini", "[Locale]\nBias=-60\nShortDate=dd.MM.yyyy\nLongTime=HH:mm:ss\n");
  ASSERT_EQ(Run(R"(C:\Cache\index.dat)"), 0) << err.str();
  EXPECT_EQ(out.str(),
            "http://a.example/\t09.03.2014 18:05:42\n"
            "http://b.example/\t10.03.2014 01:00:00\n"
            "Visited: user@http://c.example/\tNot Available\n"
            "Total Record: 3\n");
}

TEST_F(IndexDatCommandTest, AFileInUseIsStillRead) {
  Write("machine.ini", "[Locked]\n1=C:\\Cache\\index.dat\n");
  ASSERT_EQ(Run(R"(C:\Cache\index.dat)"), 0) << err.str();
  EXPECT_NE(out.str().find("Total Record: 3\n"), std::string::npos);
}

TEST_F(IndexDatCommandTest, RefusesWhatIsNotAnExistingDatFile) {
  Write("drives/C/Cache/index.txt", "x");
  fs::create_directories(dir / "drives/C/Cache/folder.dat");
  for (const char* file : {R"(C:\Cache\index.txt)", R"(C:\Cache\missing.dat)",
                           R"(C:\Cache\folder.dat)", R"(C:\Cache\index.dat\)", R"(C:\Cache)"}) {
    EXPECT_EQ(Run(file), 1) << file;
    EXPECT_EQ(out.str(), "") << file;
    EXPECT_EQ(err.str(), "Please enter the correct index.dat file name.\n") << file;
  }
}

TEST(IndexDatArguments, DatExtensionAndUsage) {
  EXPECT_TRUE(app::HasDatExtension(R"(C:\a\index.dat)"));
  EXPECT_TRUE(app::HasDatExtension(R"(C:\a\b.c.DAT)"));
  EXPECT_TRUE(app::HasDatExtension(".dAt"));
  EXPECT_FALSE(app::HasDatExtension(R"(C:\a.dat\index)"));
  EXPECT_FALSE(app::HasDatExtension(R"(C:\a\index.data)"));
  EXPECT_FALSE(app::HasDatExtension(R"(C:\a\index.dat.bak)"));
  EXPECT_FALSE(app::HasDatExtension("index"));

  const Arguments a = ParseArguments({"--image", "img", "index-dat", R"(C:\x\index.dat)"});
  EXPECT_EQ(a.command, "index-dat");
  EXPECT_EQ(a.args, std::vector<std::string>{R"(C:\x\index.dat)"});
  EXPECT_THROW(ParseArguments({"index-dat"}), UsageError);
  EXPECT_THROW(ParseArguments({"index-dat", "a.dat", "b.dat"}), UsageError);
}

}  // namespace
}  // namespace morvel::cli
