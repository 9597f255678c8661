#include "gateway/hourly_forecast.h"

#include <gtest/gtest.h>

#include "tests/gateway/forecast_answers.h"

TEST(GatewayAnswer, ReadsTheDocumentedShapeWithNulls) {
  std::vector<AnswerHour> hours = AnswerDays(1);
  hours[1].temperature = "null";
  hours[2].code = "71";
  HourlyForecast f;
  ASSERT_TRUE(ParseHourlyForecast(AnswerJson(hours), f));
  EXPECT_EQ(f.utcOffsetSeconds, 10800);
  ASSERT_EQ(f.time.size(), 24u);
  EXPECT_EQ(f.time[23], "2026-12-07T23:00");
  EXPECT_EQ(f.temperature[0], 1.2);
  EXPECT_FALSE(f.temperature[1]);
  EXPECT_EQ(f.weatherCode[2], 71);
  EXPECT_EQ(f.windDirection.size(), 24u);
}

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
  };
  for (const std::string& body : bodies) {
    HourlyForecast f;
    EXPECT_FALSE(ParseHourlyForecast(body, f)) << body.substr(0, 60);
  }
}
