#include "common/calendar.h"

namespace {

constexpr std::int64_t kDaysPerEra = 146097;  // 400 Gregorian years
constexpr std::int64_t kYearsPerEra = 400;
// Day number of 0000-03-01: eras start in March so the leap day falls last.
constexpr std::int64_t kEraShift = 719468;
constexpr int kThursday = 5;  // 1970-01-01 in the feed's numbering
constexpr int kDaysPerWeek = 7;

bool IsLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
  std::int64_t q = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --q;
  return q;
}

std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, kYearsPerEra);
  const std::int64_t yearOfEra = year - era * kYearsPerEra;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * kDaysPerEra + dayOfEra - kEraShift;
}

CivilDate CivilFromDays(std::int64_t days) {
  days += kEraShift;
  const std::int64_t era = FloorDiv(days, kDaysPerEra);
  const std::int64_t dayOfEra = days - era * kDaysPerEra;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  date.year = yearOfEra + era * kYearsPerEra + (date.month <= 2 ? 1 : 0);
  return date;
}

int WeekdayOfDays(std::int64_t days) {
  const std::int64_t fromThursday = days - FloorDiv(days, kDaysPerWeek) * kDaysPerWeek;
  return static_cast<int>((fromThursday + kThursday - 1) % kDaysPerWeek) + 1;
}

int DaysInMonth(std::int64_t year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}
