#include "services/dates.h"

#include <cctype>
#include <cstdio>

#include "common/calendar.h"

namespace {

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
  const CivilDate civil = CivilFromDays(date / kSecondsPerDay);
  fields->year = static_cast<int>(civil.year);
  fields->month = civil.month;
  fields->day = civil.day;
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
