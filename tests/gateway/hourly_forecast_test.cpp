#include "gateway/hourly_forecast.h"

#include <gtest/gtest.h>

#include "tests/gateway/forecast_answers.h"

TEST(GatewayAnswer, RefusesErrorsAndMalformedAnswers) {
  const std::string good = AnswerJson(AnswerDays(1));
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string body = good;
    body.replace(body.find(from), from.size(), to);
    return body;
  };
  const std::string bodies[] = {
      R"({"error": true, "reason": "Cannot initialize WeatherVariable from invalid String value"})",
      "",
      good.substr(0, good.size() / 2),
      "[" + good + "]",
      replaced("[1.2,", "[1.2,1.2,"),                // a series longer than the times
      replaced("\"cloud_cover\":[", "\"cloud\":["),  // a series missing
      replaced("[1.2,", "[\"1.2\","),                // a number as text
      replaced("\"utc_offset_seconds\":10800", "\"utc_offset_seconds\":1e20"),
      replaced("\"utc_offset_seconds\":10800", "\"utc_offset_seconds\":18446744073709551615"),
      replaced("\"2026-12-07T00:00\"", "0"),
      replaced("\"wind_speed_10m\":\"m/s\"", "\"wind_speed_10m\":\"Bft\""),
  };
  for (const std::string& body : bodies) {
    HourlyForecast f;
    EXPECT_FALSE(ParseHourlyForecast(body, f)) << body.substr(0, 60);
  }
}

TEST(GatewayAnswer, ConvertsWindSpeedsGivenInOtherUnits) {
  const std::string good = AnswerJson(AnswerDays(1));
  const std::pair<const char*, double> units[] = {{"m/s", 3}, {"km/h", 3 / 3.6}, {"kn", 1.5433}};
  for (const auto& [unit, metresPerSecond] : units) {
    std::string body = good;
    body.replace(body.find("\"m/s\""), 5, std::string("\"") + unit + "\"");
    HourlyForecast f;
    ASSERT_TRUE(ParseHourlyForecast(body, f)) << unit;
    EXPECT_NEAR(*f.windSpeed[0], metresPerSecond, 1e-3) << unit;
  }
}
