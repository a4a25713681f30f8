#include "stores/index_dat_time.h"

#include <gtest/gtest.h>

#include <optional>

namespace morvel {
namespace {

using platform::CalendarTime;

// Calendar fields chosen by the test; the formats spell the fields out so the text shows
// which parts were asked for.
class FakeSystem final : public platform::SystemInfo {
 public:
  std::optional<CalendarTime> local;
  bool date_fails = false;
  bool time_fails = false;

  std::string ExecutableFolder() const override { return {}; }
  platform::WindowsVersion Version() const override { return {}; }
  std::string ComputerName() const override { return {}; }
  std::string UserName() const override { return {}; }
  std::string WindowsFolder() const override { return {}; }
  std::string SystemFolder() const override { return {}; }
  std::string TempFolder() const override { return {}; }
  platform::DriveType DriveTypeOf(char) const override { return platform::DriveType::NoRootDir; }
  std::string SpecialFolderPath(platform::SpecialFolder) const override { return {}; }
  std::vector<std::string> UserDataFolders() const override { return {}; }
  void EndBrowserSession() override {}
  bool IsAdministrator() const override { return false; }
  std::optional<CalendarTime> FileTimeToLocalCalendar(std::uint64_t) const override {
    return local;
  }
  std::string FormatShortDate(const CalendarTime& t) const override {
    if (date_fails) return {};
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day);
  }
  std::string FormatLongTime(const CalendarTime& t) const override {
    if (time_fails) return {};
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
  }
};

CalendarTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0, int dow = 1) {
  auto u = [](int v) { return static_cast<std::uint16_t>(v); };
  return {u(y), u(mo), u(dow), u(d), u(h), u(mi), u(s), u(ms)};
}

TEST(LastModifiedText, DateAndTimeOrNotAvailable) {
  struct Case {
    const char* what;
    std::optional<CalendarTime> local;
    const char* text;
  };
  const Case cases[] = {
      {"date and time", At(2014, 3, 9, 17, 5, 42), "2014-3-9 17:5:42"},
      {"midnight leaves the time out", At(2014, 3, 9), "2014-3-9"},
      {"a millisecond after midnight keeps it", At(2014, 3, 9, 0, 0, 0, 1), "2014-3-9 0:0:0"},
      {"the year 2500 still shows", At(2500, 12, 31, 23, 59, 59), "2500-12-31 23:59:59"},
      {"after 2500", At(2501, 1, 1, 1), kTimeNotAvailable},
      {"conversion failed", std::nullopt, kTimeNotAvailable},
      {"date-time zero", At(1899, 12, 30), kTimeNotAvailable},
      {"a second after zero", At(1899, 12, 30, 0, 0, 1), "1899-12-30 0:0:1"},
      {"the day before zero", At(1899, 12, 29), "1899-12-29"},
      {"month 13", At(2014, 13, 1), kTimeNotAvailable},
      {"day of week 8", At(2014, 3, 9, 1, 0, 0, 0, 8), kTimeNotAvailable},
      {"30 February", At(2014, 2, 30), kTimeNotAvailable},
      {"29 February of a leap year", At(2016, 2, 29), "2016-2-29"},
      {"hour 24 passes the bounds but is no time of day", At(2014, 3, 9, 24), kTimeNotAvailable},
      {"second 60", At(2014, 3, 9, 1, 0, 60), kTimeNotAvailable},
  };
  for (const Case& c : cases) {
    FakeSystem system;
    system.local = c.local;
    EXPECT_EQ(LastModifiedText(system, 1), c.text) << c.what;
  }
}

TEST(LastModifiedText, AFormatThatFailsShowsNotAvailable) {
  FakeSystem system;
  system.local = At(2014, 3, 9, 12);
  system.time_fails = true;
  EXPECT_EQ(LastModifiedText(system, 1), kTimeNotAvailable);
  system.local = At(2014, 3, 9);
  EXPECT_EQ(LastModifiedText(system, 1), "2014-3-9");  // midnight needs no time format
  system.date_fails = true;
  EXPECT_EQ(LastModifiedText(system, 1), kTimeNotAvailable);
}

}  // namespace
}  // namespace morvel
