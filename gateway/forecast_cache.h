#pragma once
// When the gateway asks the upstream service again for one city, and how
// long a forecast it already holds may still be served: the decisions only,
// on a clock of whole UTC seconds that the caller passes in.

#include <cstdint>

#include "gateway/hourly_forecast.h"

// Within the free tier for every city of the list, every half hour.
constexpr std::int64_t kRefetchSeconds = 30 * 60;
// After that long without a good answer the forecast is too old to show.
constexpr std::int64_t kStaleLimitSeconds = 6 * 60 * 60;
// The first retry after a failure comes soon (a PC whose network comes up
// after log-on starts the gateway too early); each further failure doubles
// the wait, up to the half hour, so an upstream in trouble is not pressed.
constexpr std::int64_t kRetrySeconds = 2 * 60;
constexpr std::int64_t kRetryCapSeconds = 30 * 60;
// A Retry-After beyond this is taken as this: a wrong clock or a typo must
// not silence a city for weeks.
constexpr std::int64_t kRetryAfterCapSeconds = 24 * 60 * 60;

struct CachePolicy {
  std::int64_t refetchSeconds = kRefetchSeconds;
  std::int64_t staleLimitSeconds = kStaleLimitSeconds;
  std::int64_t retrySeconds = kRetrySeconds;
  std::int64_t retryCapSeconds = kRetryCapSeconds;
};

struct CachedForecast {
  bool tried = false;
  std::int64_t triedAt = 0;  // the last upstream request, whatever came of it
  std::int64_t dueAt = 0;    // no upstream request before this
  int failures = 0;          // in a row since the last good answer
  bool hasForecast = false;
  std::int64_t fetchedAt = 0;  // the last good answer
  HourlyForecast forecast;
};

// The wait after `failures` failures in a row: retrySeconds doubled per
// further failure, at most retryCapSeconds.
std::int64_t RetryWait(int failures, const CachePolicy& policy);

// A clock set back makes the entry due at once rather than hours later.
bool ShouldFetch(const CachedForecast& entry, std::int64_t now);

// `fresh` is null when the request failed; the old forecast then stays and
// the next request waits the back-off, or the upstream's Retry-After
// (seconds, 0 when it gave none) when that is longer.
void RecordFetch(CachedForecast& entry, std::int64_t now, const HourlyForecast* fresh,
                 std::int64_t retryAfterSeconds, const CachePolicy& policy);

bool CanServe(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy);
