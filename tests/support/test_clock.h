#pragma once
// Times of day on one fixed test date, and a clock that tests set by hand
// (install it with SetDateSource(InjectedClock)), so that nothing depends on
// the wall clock.

#include "services/dates.h"

// hour:minute:second on 2026-12-07.
inline DateValue At(int hour, int minute, int second) {
  DateFields f;
  f.year = 2026;
  f.month = 12;
  f.day = 7;
  f.hour = hour;
  f.minute = minute;
  f.second = second;
  return DateFromFields(f);
}

inline DateValue timeOfDay = 0;
inline DateValue InjectedClock() {
  return timeOfDay;
}
