#pragma once
// One city's hourly forecast as the upstream service answers it, reduced to
// the six series the feed is built from. A missing value is empty, never 0.

#include <optional>
#include <string>
#include <vector>

struct HourlyForecast {
  int utcOffsetSeconds = 0;
  std::vector<std::string> time;  // local "YYYY-MM-DDTHH:MM", one per hour
  std::vector<std::optional<double>> temperature;    // degrees C
  std::vector<std::optional<double>> humidity;       // relative, %
  std::vector<std::optional<double>> cloudCover;     // %
  std::vector<std::optional<double>> weatherCode;    // WMO code
  std::vector<std::optional<double>> windSpeed;      // m/s
  std::vector<std::optional<double>> windDirection;  // degrees, from
};

// Reads the upstream's JSON answer. False (and `out` unspecified) for the
// service's error object, malformed JSON, a body without the hourly series
// of equal length, or a wind speed unit it cannot convert to m/s.
bool ParseHourlyForecast(const std::string& body, HourlyForecast& out);
