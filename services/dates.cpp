#include "services/dates.h"

#include <cctype>
#include <cstdio>

namespace {

const int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, DateFields* fields) {
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  fields->day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  fields->month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  fields->year = static_cast<int>(yearOfEra + era * 400 + (fields->month <= 2));
}

bool MatchesToken(const char* at, const char* token) {
  for (; *token; ++at, ++token)
    if (std::tolower(static_cast<unsigned char>(*at)) != *token) return false;
  return true;
}

void AppendTwoDigits(std::string* out, int value) {
  out->push_back(static_cast<char>('0' + value / 10 % 10));
  out->push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

DateValue DateFromFields(const DateFields& f) {
  const int64_t days = DaysFromCivil(f.year, f.month, f.day);
  return days * kSecondsPerDay + int64_t{f.hour} * 3600 + int64_t{f.minute} * 60 + f.second;
}

bool BreakDownDate(DateValue date, DateFields* fields) {
  *fields = DateFields{};
  if (date < 0) return false;
  CivilFromDays(date / kSecondsPerDay, fields);
  const int secondOfDay = static_cast<int>(date % kSecondsPerDay);
  fields->hour = secondOfDay / 3600;
  fields->minute = secondOfDay / 60 % 60;
  fields->second = secondOfDay % 60;
  return true;
}

std::string FormatDateText(const char* mask, DateValue date) {
  std::string out;
  if (!mask) return out;
  DateFields f;
  const bool valid = BreakDownDate(date, &f);
  char year[16];
  std::snprintf(year, sizeof year, "%d", f.year);
  const std::string yearText = valid ? year : "0000";

  for (const char* p = mask; *p;) {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    const char* token = p + 1;
    if (MatchesToken(token, "yyyy")) {
      out += yearText;
      p = token + 4;
    } else if (MatchesToken(token, "yy")) {
      out += yearText.size() >= 4 ? yearText.substr(2, 2) : yearText;
      p = token + 2;
    } else if (MatchesToken(token, "mm")) {
      AppendTwoDigits(&out, f.month);
      p = token + 2;
    } else if (MatchesToken(token, "dd")) {
      AppendTwoDigits(&out, f.day);
      p = token + 2;
    } else if (MatchesToken(token, "hh")) {
      AppendTwoDigits(&out, f.hour);
      p = token + 2;
    } else if (MatchesToken(token, "ii")) {
      AppendTwoDigits(&out, f.minute);
      p = token + 2;
    } else if (MatchesToken(token, "ss")) {
      AppendTwoDigits(&out, f.second);
      p = token + 2;
    } else {
      out.push_back('%');
      p = token;
    }
  }
  return out;
}
