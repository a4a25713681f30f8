#include "stores/index_dat_time.h"

namespace morvel {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The fields the date-time value is built from: the bounds the viewer tests first, then
// what building a date and a time of day needs (a failure there shows the same text).
bool MakesDateTime(const platform::CalendarTime& t) {
  if (t.year > 2500 || t.month > 12 || t.day_of_week > 7 || t.day > 31 || t.hour > 24 ||
      t.minute > 60 || t.second > 60 || t.milliseconds > 1000)
    return false;
  if (t.year < 1 || t.month < 1 || t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return false;
  return t.hour < 24 && t.minute < 60 && t.second < 60 && t.milliseconds < 1000;
}

bool IsMidnight(const platform::CalendarTime& t) {
  return t.hour == 0 && t.minute == 0 && t.second == 0 && t.milliseconds == 0;
}

}  // namespace

std::string LastModifiedText(const platform::SystemInfo& system, std::uint64_t filetime) {
  const auto local = system.FileTimeToLocalCalendar(filetime);
  if (!local || !MakesDateTime(*local)) return kTimeNotAvailable;
  const platform::CalendarTime& t = *local;
  if (t.year == 1899 && t.month == 12 && t.day == 30 && IsMidnight(t)) return kTimeNotAvailable;
  std::string text = system.FormatShortDate(t);
  if (text.empty()) return kTimeNotAvailable;
  if (!IsMidnight(t)) {
    const std::string time = system.FormatLongTime(t);
    if (time.empty()) return kTimeNotAvailable;
    text += ' ';
    text += time;
  }
  return text;
}

}  // namespace morvel
