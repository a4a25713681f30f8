#include "platform/emulated/locale_format.h"

#include <gtest/gtest.h>

#include "platform/emulated/machine.h"
#include "platform/emulated/machine_facts.h"

namespace morvel::platform::emulated {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
// 2014-03-09 17:05:42.250 UTC, a Sunday.
constexpr std::uint64_t kSample = 130'388'583'422'500'000;

TEST(LocalCalendar, SplitsTheFileTimeAfterTheBias) {
  auto t = LocalCalendar(kSample, 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 2014);
  EXPECT_EQ(t->month, 3);
  EXPECT_EQ(t->day, 9);
  EXPECT_EQ(t->day_of_week, 0);
  EXPECT_EQ(t->hour, 17);
  EXPECT_EQ(t->minute, 5);
  EXPECT_EQ(t->second, 42);
  EXPECT_EQ(t->milliseconds, 250);

  t = LocalCalendar(kSample, -420);  // UTC+7: past midnight, the next day, a Monday
  ASSERT_TRUE(t);
  EXPECT_EQ(t->day, 10);
  EXPECT_EQ(t->hour, 0);
  EXPECT_EQ(t->day_of_week, 1);

  t = LocalCalendar(0, 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 1601);
  EXPECT_EQ(t->day_of_week, 1);
  t = LocalCalendar(0x7FFF'FFFF'FFFF'FFFF, 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 30828);
  // 1899-12-30 00:00 is 109,205 days after 1601-01-01.
  t = LocalCalendar(109'205ull * 86'400 * kTicksPerSecond, 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 1899);
  EXPECT_EQ(t->month, 12);
  EXPECT_EQ(t->day, 30);
}

TEST(LocalCalendar, FailsWhereWindowsFails) {
  EXPECT_FALSE(LocalCalendar(0x8000'0000'0000'0000, 0));
  EXPECT_FALSE(LocalCalendar(59 * 60 * kTicksPerSecond, 60));  // before 1601 once moved
  EXPECT_FALSE(LocalCalendar(0x7FFF'FFFF'FFFF'FFFF, -60));     // past the largest
}

TEST(LocalePictures, DateAndTimePictures) {
  const CalendarTime t = *LocalCalendar(kSample, 0);
  struct Case {
    const char* picture;
    const char* date;
  };
  for (const Case& c :
       {Case{"M/d/yyyy", "3/9/2014"}, Case{"dd.MM.yy", "09.03.14"},
        Case{"dddd, MMMM d, yyyy", "Sunday, March 9, 2014"}, Case{"ddd d MMM y", "Sun 9 Mar 14"},
        Case{"yyyy-MM-dd", "2014-03-09"}, Case{"d 'de' MMMM", "9 de March"},
        Case{"'it''s' d", "it's 9"}, Case{"h:mm", "h:mm"}})
    EXPECT_EQ(FormatDatePicture(c.picture, t), c.date) << c.picture;

  for (const Case& c :
       {Case{"h:mm:ss tt", "5:05:42 PM"}, Case{"HH:mm:ss", "17:05:42"},
        Case{"hh 'o''clock' t", "05 o'clock P"}, Case{"H.m.s", "17.5.42"}, Case{"d/M", "d/M"}})
    EXPECT_EQ(FormatTimePicture(c.picture, t), c.date) << c.picture;

  CalendarTime midnight = t;
  midnight.hour = 0;
  EXPECT_EQ(FormatTimePicture("h:mm tt", midnight), "12:05 AM");
  midnight.hour = 12;
  EXPECT_EQ(FormatTimePicture("h:mm tt", midnight), "12:05 PM");
}

TEST(LocaleFacts, DefaultsAreThoseOfEnUsAndMachineIniChangesThem) {
  const LocaleFacts defaults = ParseMachineFacts("", "m").locale;
  EXPECT_EQ(defaults.bias_minutes, 0);
  EXPECT_EQ(defaults.short_date, "M/d/yyyy");
  EXPECT_EQ(defaults.long_time, "h:mm:ss tt");

  const LocaleFacts set =
      ParseMachineFacts("[Locale]\nBias=-330\nShortDate=dd/MM/yyyy\nLongTime=\"HH:mm:ss\"\n", "m")
          .locale;
  EXPECT_EQ(set.bias_minutes, -330);
  EXPECT_EQ(set.short_date, "dd/MM/yyyy");
  EXPECT_EQ(set.long_time, "HH:mm:ss");

  for (const char* bad : {"[Locale]\nBias=60m\n", "[Locale]\nBias=1441\n"}) {
    try {
      ParseMachineFacts(bad, "machine.ini");
      ADD_FAILURE() << bad;
    } catch (const MachineImageError& e) {
      EXPECT_NE(std::string(e.what()).find("machine.ini:2: Bias '"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace morvel::platform::emulated
