#include "gateway/forecast_blocks.h"

#include <cmath>

namespace {

using Series = std::vector<std::optional<double>>;

constexpr double kClearBelow = 20, kFewCloudsBelow = 50, kCloudyBelow = 80;
constexpr int kClear = 0, kFewClouds = 1, kCloudy = 2, kOvercast = 3;

constexpr int kSectorCount = 8;
constexpr double kFullTurn = 360;
constexpr double kSectorWidth = kFullTurn / kSectorCount;
constexpr double kPi = 3.14159265358979323846;
// The mean is taken to a millionth of a degree so that a sector boundary met
// exactly (337.5) falls into the clockwise sector despite rounding in sin/cos.
constexpr double kAngleSteps = 1e6;
// Opposite winds that cancel out leave no direction worth naming.
constexpr double kCancelledShare = 1e-9;

// WMO codes to the feed's precipitation codes; the table also defines which
// codes are known at all.
struct CodeSpan {
  int feedCode;
  int first;
  int last;
};

constexpr int kThunder = 8, kSnow = 6, kShowers = 5, kRain = 4, kNoPrecipitation = 10;
const CodeSpan kWeatherCodes[] = {
    {kThunder, 95, 96},
    {kThunder, 99, 99},
    {kSnow, 71, 71},
    {kSnow, 73, 73},
    {kSnow, 75, 75},
    {kSnow, 77, 77},
    {kSnow, 85, 86},
    {kShowers, 80, 82},
    {kRain, 51, 57},
    {kRain, 61, 67},
    {kNoPrecipitation, 0, 3},
    {kNoPrecipitation, 45, 45},
    {kNoPrecipitation, 48, 48},
};
// The first of these that any code of the block maps to wins.
const int kPrecipitationPrecedence[] = {kThunder, kSnow, kShowers, kRain, kNoPrecipitation};

std::optional<double> ValueAt(const Series& series, size_t hour) {
  if (hour >= series.size() || !series[hour]) return std::nullopt;
  const double v = *series[hour];
  if (!std::isfinite(v) || std::fabs(v) > kPlausibleValueLimit) return std::nullopt;
  return v;
}

std::optional<WholeRange> RangeOf(const Series& series, const std::vector<size_t>& hours) {
  std::optional<double> low, high;
  for (size_t h : hours) {
    const std::optional<double> v = ValueAt(series, h);
    if (!v) continue;
    if (!low || *v < *low) low = v;
    if (!high || *v > *high) high = v;
  }
  if (!low) return std::nullopt;
  // llround rounds half away from zero and an integer has no negative zero.
  return WholeRange{std::llround(*low), std::llround(*high)};
}

std::optional<int> CloudinessOf(const Series& cover, const std::vector<size_t>& hours) {
  double sum = 0;
  int count = 0;
  for (size_t h : hours) {
    if (const std::optional<double> v = ValueAt(cover, h)) {
      sum += *v;
      ++count;
    }
  }
  if (count == 0) return std::nullopt;
  const double mean = sum / count;
  if (mean < kClearBelow) return kClear;
  if (mean < kFewCloudsBelow) return kFewClouds;
  if (mean < kCloudyBelow) return kCloudy;
  return kOvercast;
}

int FeedCodeOfWeather(double code) {
  if (code != std::floor(code)) return 0;
  for (const CodeSpan& span : kWeatherCodes)
    if (code >= span.first && code <= span.last) return span.feedCode;
  return 0;
}

int PrecipitationOf(const Series& codes, const std::vector<size_t>& hours) {
  for (int feedCode : kPrecipitationPrecedence)
    for (size_t h : hours)
      if (const std::optional<double> v = ValueAt(codes, h))
        if (FeedCodeOfWeather(*v) == feedCode) return feedCode;
  return kNoPrecipitationData;
}

int SectorOf(double east, double north) {
  double degrees = std::atan2(east, north) * (kFullTurn / 2) / kPi;
  if (degrees < 0) degrees += kFullTurn;
  degrees = std::round(degrees * kAngleSteps) / kAngleSteps;
  const int sector = static_cast<int>(std::floor((degrees + kSectorWidth / 2) / kSectorWidth));
  return sector % kSectorCount;
}

// Mean of the wind vectors weighted by speed. A dead-calm block (all speeds
// 0) has no direction: the vane's reading then means nothing.
std::optional<int> DirectionOf(const Series& speed, const Series& direction,
                               const std::vector<size_t>& hours) {
  double east = 0, north = 0, weight = 0;
  for (size_t h : hours) {
    const std::optional<double> s = ValueAt(speed, h);
    const std::optional<double> d = ValueAt(direction, h);
    if (!s || !d || *s < 0) continue;
    const double radians = *d * kPi / (kFullTurn / 2);
    east += *s * std::sin(radians);
    north += *s * std::cos(radians);
    weight += *s;
  }
  if (weight == 0) return std::nullopt;
  if (std::hypot(east, north) <= kCancelledShare * weight) return std::nullopt;
  return SectorOf(east, north);
}

}  // namespace

BlockSummary SummarizeBlock(const HourlyForecast& forecast, const std::vector<size_t>& hours) {
  BlockSummary block;
  block.cloudiness = CloudinessOf(forecast.cloudCover, hours);
  block.precipitation = PrecipitationOf(forecast.weatherCode, hours);
  block.temperature = RangeOf(forecast.temperature, hours);
  block.wind = RangeOf(forecast.windSpeed, hours);
  block.relwet = RangeOf(forecast.humidity, hours);
  block.direction = DirectionOf(forecast.windSpeed, forecast.windDirection, hours);
  return block;
}
