#pragma once
// Turns a city's hourly forecast into the XML feed the widget reads: four
// periods of six-hour blocks in the city's local time.

#include <cstdint>
#include <string>

#include "gateway/hourly_forecast.h"

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// The city's wall clock for a UTC instant (seconds since 1970, 64-bit).
LocalTime LocalTimeAt(std::int64_t utcSeconds, int utcOffsetSeconds);

// "YYYY-MM-DDTHH:MM" (the --now option and the answer's time stamps).
bool ParseLocalTime(const std::string& text, LocalTime& out);

// The whole feed document. `townName` is the city's name in CP1251 as the
// city list writes it; the feed carries it percent-encoded. Empty when the
// forecast holds no hour of one of the four periods `now` asks for (the
// widget counts periods across feeds, so it gets four or none), or when
// `now` is no real time.
std::string BuildFeed(const HourlyForecast& forecast, const LocalTime& now,
                      const std::string& townName);
