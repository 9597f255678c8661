#pragma once
// Answers of the forecast service in its documented shape, built per test.

#include <cstdio>
#include <string>
#include <vector>

// One hour of an answer, each value as the service writes it ("null" too).
struct AnswerHour {
  std::string temperature = "1.2";
  std::string humidity = "80";
  std::string cover = "10";
  std::string code = "0";
  std::string speed = "3";
  std::string direction = "90";
};

constexpr int kHoursPerDay = 24;

// Whole days of hours from 2026-12-07 00:00 (a Monday), Moscow time.
inline std::vector<AnswerHour> AnswerDays(int days) {
  return std::vector<AnswerHour>(static_cast<size_t>(days) * kHoursPerDay);
}

inline std::string AnswerJson(const std::vector<AnswerHour>& hours) {
  std::string time, t, h, c, w, s, d;
  for (size_t i = 0; i < hours.size(); ++i) {
    const std::string sep = i ? "," : "";
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "\"2026-12-%02dT%02d:00\"", 7 + static_cast<int>(i / 24),
                  static_cast<int>(i % 24));
    time += sep + stamp;
    t += sep + hours[i].temperature;
    h += sep + hours[i].humidity;
    c += sep + hours[i].cover;
    w += sep + hours[i].code;
    s += sep + hours[i].speed;
    d += sep + hours[i].direction;
  }
  return R"({"latitude":55.82,"longitude":37.62,"generationtime_ms":0.5,"utc_offset_seconds":10800,)"
         R"("timezone":"Europe/Moscow","timezone_abbreviation":"MSK","elevation":156.0,)"
         R"("hourly_units":{"time":"iso8601","temperature_2m":"\u00b0C","relative_humidity_2m":"%",)"
         R"("cloud_cover":"%","weather_code":"wmo code","wind_speed_10m":"m/s",)"
         R"("wind_direction_10m":"\u00b0"},"hourly":{"time":[)" +
         time + R"(],"temperature_2m":[)" + t + R"(],"relative_humidity_2m":[)" + h +
         R"(],"cloud_cover":[)" + c + R"(],"weather_code":[)" + w + R"(],"wind_speed_10m":[)" + s +
         R"(],"wind_direction_10m":[)" + d + "]}}";
}
