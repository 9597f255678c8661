#include "app/weather_age.h"

#include <gtest/gtest.h>

#include "tests/support/test_clock.h"

namespace {

const size_t kLimit = 127;
const DateValue kNoon = At(12, 0, 0);

TEST(WeatherAgeTip, SaysThereIsNoWeatherBeforeAnyFeedCame) {
  EXPECT_EQ(WeatherAgeTip("", "...°C", false, 0, kNoon, kLimit), "Нет данных о погоде");
}

TEST(WeatherAgeTip, NamesTownTemperatureAndTheTimeOfTodaysDownload) {
  EXPECT_EQ(WeatherAgeTip("Москва", "-5...-3°C", true, At(9, 5, 59), kNoon, kLimit),
            "Москва, -5...-3°C\nобновлено 09:05");
}

TEST(WeatherAgeTip, AddsTheDateWhenTheDownloadWasNotToday) {
  const DateValue lateYesterday = At(23, 59, 0) - 86400;
  EXPECT_EQ(WeatherAgeTip("Москва", "-5...-3°C", true, lateYesterday, At(0, 1, 0), kLimit),
            "Москва, -5...-3°C\nобновлено 06.12 23:59");
}

TEST(WeatherAgeTip, CutsALongTownSoTheAgeStillFits) {
  const std::string tip =
      WeatherAgeTip(std::string(300, 'x'), "-5...-3°C", true, At(9, 5, 0), kNoon, kLimit);
  EXPECT_EQ(tip.size(), kLimit);
  EXPECT_EQ(tip.substr(tip.size() - 16), "\nобновлено 09:05");
}

}  // namespace
