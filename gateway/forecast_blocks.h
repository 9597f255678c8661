#pragma once
// One six-hour block of an hourly forecast reduced to the codes and whole
// numbers a FORECAST element of the feed carries.

#include <cstddef>
#include <optional>
#include <vector>

#include "gateway/hourly_forecast.h"

constexpr int kBlockHours = 6;
constexpr int kBlocksPerDay = 24 / kBlockHours;

// The feed's precipitation code for a block without any weather code.
constexpr int kNoPrecipitationData = 9;

struct WholeRange {
  long long min = 0;
  long long max = 0;
};

// A field stays empty when the block holds no usable value for it.
struct BlockSummary {
  std::optional<int> cloudiness;
  int precipitation = kNoPrecipitationData;
  std::optional<WholeRange> temperature;
  std::optional<WholeRange> wind;
  std::optional<WholeRange> relwet;
  std::optional<int> direction;
};

// `hours` are indexes into the forecast's series; an index past a series'
// end counts as a missing value, as does a value no instrument reports
// (beyond +-kPlausibleValueLimit).
constexpr double kPlausibleValueLimit = 1e6;
BlockSummary SummarizeBlock(const HourlyForecast& forecast, const std::vector<size_t>& hours);
