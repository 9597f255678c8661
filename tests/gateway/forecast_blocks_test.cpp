#include "gateway/forecast_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace {

using Values = std::vector<std::optional<double>>;
constexpr std::nullopt_t kNull = std::nullopt;

// A block of as many hours as the longest series given; every other series
// is null throughout.
BlockSummary Summarize(HourlyForecast forecast) {
  size_t n = 0;
  for (const Values* s : {&forecast.temperature, &forecast.humidity, &forecast.cloudCover,
                          &forecast.weatherCode, &forecast.windSpeed, &forecast.windDirection})
    n = std::max(n, s->size());
  std::vector<size_t> hours(n);
  std::iota(hours.begin(), hours.end(), 0);
  return SummarizeBlock(forecast, hours);
}

int PrecipitationOf(Values codes) {
  HourlyForecast f;
  f.weatherCode = codes;
  return Summarize(f).precipitation;
}

std::optional<int> DirectionOf(Values speeds, Values directions) {
  HourlyForecast f;
  f.windSpeed = speeds;
  f.windDirection = directions;
  return Summarize(f).direction;
}

}  // namespace

TEST(GatewayBlocks, PrecipitationGroupsFirstMatchWins) {
  const std::pair<std::vector<double>, int> groups[] = {
      {{95, 96, 99}, 8},
      {{71, 73, 75, 77, 85, 86}, 6},
      {{80, 81, 82}, 5},
      {{51, 53, 55, 56, 57, 61, 63, 65, 66, 67}, 4},
      {{0, 1, 2, 3, 45, 48}, 10}};
  for (const auto& [codes, expected] : groups)
    for (double code : codes) EXPECT_EQ(PrecipitationOf({code}), expected) << code;

  EXPECT_EQ(PrecipitationOf({61, 80, 71, 95}), 8);
  EXPECT_EQ(PrecipitationOf({3, 61, 80, 77}), 6);
  EXPECT_EQ(PrecipitationOf({61, 82, 2}), 5);
  EXPECT_EQ(PrecipitationOf({45, 67}), 4);
  EXPECT_EQ(PrecipitationOf({kNull, kNull}), 9);
  EXPECT_EQ(PrecipitationOf({42, 71.5}), 9);  // codes the service never sends
}

TEST(GatewayBlocks, CloudinessFromTheMeanCover) {
  const std::pair<Values, int> cases[] = {
      {{19.9}, 0}, {{20}, 1}, {{49.9}, 1}, {{50}, 2},
      {{79.9}, 2}, {{80}, 3}, {{100}, 3},  {{10, 40, kNull}, 1},  // mean 25, the null is skipped
  };
  for (const auto& [cover, expected] : cases) {
    HourlyForecast f;
    f.cloudCover = cover;
    EXPECT_EQ(Summarize(f).cloudiness, expected) << *cover[0];
  }
}

TEST(GatewayBlocks, DirectionSectorsFromTheSpeedWeightedMean) {
  const std::pair<double, int> single[] = {
      {0, 0},   {22, 0},  {22.5, 1}, {23, 1},    {90, 2},  {135, 3}, {180, 4}, {202.5, 5},
      {225, 5}, {270, 6}, {337, 7},  {337.5, 0}, {338, 0}, {359, 0}, {360, 0},
  };
  for (const auto& [degrees, sector] : single)
    EXPECT_EQ(DirectionOf({4}, {degrees}), sector) << degrees;

  EXPECT_EQ(DirectionOf({1, 3}, {0, 90}), 2);        // weighted: 71.6 degrees, not 45
  EXPECT_EQ(DirectionOf({5, 5}, {350, 10}), 0);      // across north, not 180
  EXPECT_EQ(DirectionOf({0, 0}, {80, 100}), kNull);  // dead calm: no direction
  EXPECT_EQ(DirectionOf({3, 3}, {90, 270}), kNull);  // cancelled out
  EXPECT_EQ(DirectionOf({kNull, 2}, {0, kNull}), kNull);
}

TEST(GatewayBlocks, RangesRoundHalfAwayFromZeroAndSkipWhatIsMissing) {
  HourlyForecast f;
  f.temperature = {-2.5, kNull, -1.5};
  f.windSpeed = {0.4, 2.5, 1e300};  // the last one no instrument reports
  f.humidity = {kNull, kNull, kNull};
  const BlockSummary block = Summarize(f);
  ASSERT_TRUE(block.temperature && block.wind);
  EXPECT_EQ(block.temperature->min, -3);
  EXPECT_EQ(block.temperature->max, -2);
  EXPECT_EQ(block.wind->min, 0);
  EXPECT_EQ(block.wind->max, 3);
  EXPECT_FALSE(block.relwet);

  // An hour past the end of a series is missing, not a crash.
  HourlyForecast shortSeries;
  shortSeries.temperature = {5.0};
  EXPECT_EQ(SummarizeBlock(shortSeries, {0, 7}).temperature->max, 5);
}
