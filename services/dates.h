#pragma once
// Local wall-clock dates as plain second counts, and their text form.

#include <cstdint>
#include <string>

// Seconds since 1970-01-01 00:00:00 of local wall-clock time: the local
// fields encoded as if they were UTC, so no zone or daylight rule applies.
// 64 bits, so the clock and the time limits go on past 2038-01-19 03:14:07.
using DateValue = int64_t;

struct DateFields {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

DateValue DateFromFields(const DateFields& fields);
// Breaks a value down by UTC calendar rules; false (all fields 0) when negative.
bool BreakDownDate(DateValue date, DateFields* fields);

// Expands %yyyy, %yy, %mm, %dd, %hh, %ii and %ss (letter case ignored);
// any other '%' is copied as it is. A missing mask gives the empty text.
std::string FormatDateText(const char* mask, DateValue date);

// The local time now (Windows only).
DateValue CurrentDate();

// Tests replace the clock so nothing depends on the wall clock; nullptr
// restores it.
using DateSource = DateValue (*)();
void SetDateSource(DateSource source);
