#include "platform/emulated/locale_format.h"

#include <array>
#include <limits>

namespace morvel::platform::emulated {
namespace {

constexpr std::int64_t kTicksPerMinute = 600'000'000;  // 100 ns ticks
constexpr std::int64_t kTicksPerDay = 1440 * kTicksPerMinute;
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Calendar date of a count of days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719'468;
  const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
  const auto doe = static_cast<unsigned>(z - era * 146'097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::string Number(unsigned value, std::size_t digits) {
  std::string text = std::to_string(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

// Walks a picture: quoted text and other characters are copied, each run of one letter
// of `letters` goes to `field(letter, count)`.
template <class Field>
std::string Format(std::string_view picture, std::string_view letters, Field field) {
  std::string out;
  bool quoted = false;
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '\'') {
      if (i + 1 < picture.size() && picture[i + 1] == '\'') {
        out.push_back('\'');
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
      continue;
    }
    if (quoted || letters.find(c) == std::string_view::npos) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t count = 1;
    while (i + count < picture.size() && picture[i + count] == c) ++count;
    out += field(c, count);
    i += count;
  }
  return out;
}

}  // namespace

std::optional<CalendarTime> LocalCalendar(std::uint64_t filetime, int bias_minutes) {
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (filetime > kMax) return std::nullopt;
  const auto utc = static_cast<std::int64_t>(filetime);
  const std::int64_t shift = std::int64_t{bias_minutes} * kTicksPerMinute;
  // local = utc - bias, refused where it leaves 0 .. INT64_MAX.
  if ((shift > 0 && utc < shift) ||
      (shift < 0 && utc > std::numeric_limits<std::int64_t>::max() + shift))
    return std::nullopt;
  const std::int64_t local = utc - shift;
  const std::int64_t days = local / kTicksPerDay;
  std::int64_t rest = local % kTicksPerDay;
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
  CalendarTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.day_of_week = static_cast<std::uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.hour = static_cast<std::uint16_t>(rest / (60 * kTicksPerMinute));
  rest %= 60 * kTicksPerMinute;
  t.minute = static_cast<std::uint16_t>(rest / kTicksPerMinute);
  rest %= kTicksPerMinute;
  t.second = static_cast<std::uint16_t>(rest / 10'000'000);
  t.milliseconds = static_cast<std::uint16_t>(rest % 10'000'000 / 10'000);
  return t;
}

std::string FormatDatePicture(std::string_view picture, const CalendarTime& t) {
  return Format(picture, "dMyg", [&](char letter, std::size_t count) -> std::string {
    switch (letter) {
      case 'd':
        if (count <= 2) return Number(t.day, count);
        if (t.day_of_week > 6) return {};
        return std::string(count == 3 ? kDayNames[t.day_of_week].substr(0, 3)
                                      : kDayNames[t.day_of_week]);
      case 'M':
        if (count <= 2) return Number(t.month, count);
        if (t.month < 1 || t.month > 12) return {};
        return std::string(count == 3 ? kMonthNames[t.month - 1].substr(0, 3)
                                      : kMonthNames[t.month - 1]);
      case 'y':
        if (count == 1) return std::to_string(t.year % 100);
        if (count == 2) return Number(t.year % 100, 2);
        return Number(t.year, 4);
      default:  // g, gg: the era
        return "A.D.";
    }
  });
}

std::string FormatTimePicture(std::string_view picture, const CalendarTime& t) {
  return Format(picture, "hHmst", [&](char letter, std::size_t count) -> std::string {
    const std::size_t digits = count >= 2 ? 2 : 1;
    switch (letter) {
      case 'h':
        return Number(t.hour % 12 == 0 ? 12 : t.hour % 12, digits);
      case 'H':
        return Number(t.hour, digits);
      case 'm':
        return Number(t.minute, digits);
      case 's':
        return Number(t.second, digits);
      default:  // t: A or P; tt: AM or PM
        return std::string(t.hour < 12 ? "AM" : "PM").substr(0, digits);
    }
  });
}

}  // namespace morvel::platform::emulated
