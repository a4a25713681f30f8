// The image's event log: stores/events.txt, one line per event as ReportEvent received it.
#include <gtest/gtest.h>

#include "platform/emulated/machine.h"
#include "temp_image.h"
#include "tests/unit/text_shape.h"

namespace morvel::platform::emulated {
namespace {

using testing::TempImage;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

TEST(EventLog, EventsAreAppendedAtOnceOneLineEach) {
  TempImage image;
  image.MakeFolder("drives/C");
  const auto machine = EmulatedMachine::Open(image.root());
  ASSERT_TRUE(machine->events()
                  .Report({"Morvel", EventLevel::Information, 1000, {"schedule", "24", "none"}})
                  .ok());
  // Control characters would break the line (a report path typed with a tab).
  ASSERT_TRUE(
      machine->events().Report({"Morvel", EventLevel::Warning, 1001, {"a\tb\r\nc", ""}}).ok());
  ASSERT_TRUE(machine->events().Report({"Other", EventLevel::Error, 7, {}}).ok());
  const std::vector<std::string> lines = Lines(image.Read("stores/events.txt"));
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines)
    EXPECT_TRUE(morvel::testing::HasShape(line.substr(0, 20), morvel::testing::kUtcTimeShape));
  EXPECT_EQ(lines[0].substr(20), "\tInformation\tMorvel\t1000\tschedule\t24\tnone");
  EXPECT_EQ(lines[1].substr(20), "\tWarning\tMorvel\t1001\ta b  c\t");
  EXPECT_EQ(lines[2].substr(20), "\tError\tOther\t7");
}

TEST(EventLog, AnEventsFileThatIsAFolderRefusesTheEvent) {
  TempImage image;
  image.MakeFolder("drives/C");
  image.MakeFolder("stores/events.txt");
  const auto machine = EmulatedMachine::Open(image.root());
  EXPECT_EQ(machine->events().Report({"Morvel", EventLevel::Information, 1000, {}}).kind,
            ErrorKind::Other);
}

}  // namespace
}  // namespace morvel::platform::emulated
