#pragma once
// When the gateway asks the upstream service again, and how long a forecast
// it already holds may still be served: the decisions only, on a clock of
// whole UTC seconds that the caller passes in.

#include <cstdint>

#include "gateway/hourly_forecast.h"

// Within the free tier for every city of the list, every half hour.
constexpr std::int64_t kRefetchSeconds = 30 * 60;
// After that long without a good answer the forecast is too old to show.
constexpr std::int64_t kStaleLimitSeconds = 6 * 60 * 60;
// With nothing to show (a PC whose network comes up after log-on starts the
// gateway too early), waiting the half hour would leave the widget without
// weather for that long; one city asking every two minutes is still far
// inside the free tier.
constexpr std::int64_t kRetrySeconds = 2 * 60;

struct CachePolicy {
  std::int64_t refetchSeconds = kRefetchSeconds;
  std::int64_t staleLimitSeconds = kStaleLimitSeconds;
  std::int64_t retrySeconds = kRetrySeconds;
};

struct CachedForecast {
  bool tried = false;
  std::int64_t triedAt = 0;  // the last upstream request, whatever came of it
  bool hasForecast = false;
  std::int64_t fetchedAt = 0;  // the last good answer
  HourlyForecast forecast;
};

// A failed request counts too: an upstream in trouble is not asked harder
// while an older forecast can still be served. A clock set back makes the entry due at once rather than hours later.
bool ShouldFetch(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy);

// `fresh` is null when the request failed; the old forecast then stays.
void RecordFetch(CachedForecast& entry, std::int64_t now, const HourlyForecast* fresh);

bool CanServe(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy);
