#pragma once
// Civil dates as day numbers (days since 1970-01-01, proleptic Gregorian) so
// that "tomorrow" and the weekday are plain arithmetic, in 64 bits.

#include <cstdint>

struct CivilDate {
  std::int64_t year = 1970;
  int month = 1, day = 1;
};

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
CivilDate CivilFromDays(std::int64_t days);

// 1 = Sunday … 7 = Saturday, as the feed numbers weekdays.
int WeekdayOfDays(std::int64_t days);

int DaysInMonth(std::int64_t year, int month);

// Division that rounds towards minus infinity, for instants before 1970.
std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor);
